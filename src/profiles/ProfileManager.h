// What a user does with the profiles of a device kind: select, add, copy, delete, rename,
// reset, import and export. The profile bar of a page and velnor7ctl's profile commands both
// work through this class, on the same files.
//
// The list file is the authority: every operation reads it again first and writes it back.
// Names are compared without regard to the case of ASCII letters. A new profile gets an
// identifier made from the clock that no profile of the list or file of the folder has yet.
#pragma once

#include "profiles/ProfileList.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velnor7 {

inline constexpr size_t kMaxAddedProfiles = 50;

struct ProfileEntry {
    std::string name;
    std::string uuid;
};

enum class ProfileStatus {
    Ok,
    NoList,          // there is no usable profile list (the user was told why)
    NoSuchProfile,   // the index or name names no profile of the list
    LimitReached,    // Add: the list already holds kMaxAddedProfiles profiles or more
    LastProfile,     // Delete: the only profile cannot be deleted
    EmptyName,       // Rename: an empty name
    NameInUse,       // Rename: another profile has that name
    NotAProfile,     // Import: the file is no profile (no "profilename" or "profileUUID")
    ReadFailed,      // a file to read cannot be read
    WriteFailed,     // the list, a profile file or an exported copy cannot be written
    Exists,          // Export: the destination exists and may not be replaced
};

struct ProfileResult {
    ProfileStatus status = ProfileStatus::Ok;
    std::string reason;  // a sentence for the user, when not Ok
    size_t index = 0;    // the profile the operation made, renamed or selected
    ProfileEntry profile;

    bool Ok() const { return status == ProfileStatus::Ok; }
};

class CProfileManager {
public:
    // `typeCode` is the kind's device type (1 keyboard, 2 and 6 mouse, 3 mouse pad, 7 headset).
    CProfileManager(std::string userDirectory, std::string defaultProfilePath, int typeCode);

    // The profiles in list order; empty when there is no usable list.
    std::vector<ProfileEntry> Profiles();
    // "profileselect" (the first profile when it is out of range); -1 without a list.
    int SelectedIndex();
    // The index of the profile with this name (letter case ignored), or -1.
    int IndexOfName(const std::string& name);

    // "profileselect" = index; the result carries the profile.
    ProfileResult Select(size_t index);
    // A new profile "profile<n>" made from the default profile; it becomes "profileselect"
    // (the page keeps the profile it has until the user switches).
    ProfileResult Add();
    // A copy of the profile named "<name> copy" (and " copy" again while that exists).
    ProfileResult Copy(size_t index);
    // Removes the profile from the list, then its file. When it was the selected one,
    // "profileselect" becomes the one before it (or the first); otherwise the selected profile
    // stays selected. The result's index is the selection afterwards.
    ProfileResult Delete(size_t index);
    ProfileResult Rename(size_t index, const std::string& name);
    // The profile's file becomes the default profile again, under its own name and identifier
    // (a headset keeps its custom equaliser). The old file is kept beside it.
    ProfileResult Reset(size_t index);
    // A copy of a profile file from elsewhere, under its own name (with "(n)" appended while
    // that exists) and a new identifier. The file itself is not changed.
    ProfileResult Import(const std::string& path);
    // The profile's file as it is, written to `path`. An existing file at `path` is replaced
    // only when `replace` is set (the save dialog has asked the user).
    ProfileResult Export(size_t index, const std::string& path, bool replace);

    // The names a new profile gets, given the names the list has.
    static std::string AddedName(const std::vector<std::string>& names);
    static std::string CopiedName(const std::string& source, const std::vector<std::string>& names);
    static std::string ImportedName(const std::string& imported, const std::vector<std::string>& names);

    std::string ProfilePath(const std::string& uuid) const { return userDirectory_ + uuid + ".Json"; }

private:
    // The list document, or null (and `result` says why).
    Json::Value Reload(ProfileResult& result);
    // The same, and `result` says so when the list has no profile at `index`.
    Json::Value ReloadFor(size_t index, ProfileResult& result);
    bool WriteList(const Json::Value& list, ProfileResult& result);
    // A new profile entry at the end of `list`, with a file made from `document`.
    ProfileResult Append(Json::Value list, const std::string& name, Json::Value document);
    std::string NewUuid(const Json::Value& list) const;

    std::string userDirectory_;
    std::string defaultProfilePath_;
    int typeCode_;
    CProfileList list_;
};

}  // namespace velnor7
