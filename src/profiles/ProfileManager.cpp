#include "profiles/ProfileManager.h"

#include "common/DisplayNames.h"
#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/TimestampId.h"
#include "common/Trace.h"
#include "platform/files/FileRead.h"
#include "profiles/JsonAccess.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

constexpr int kHeadsetType = 7;

ProfileResult Failure(ProfileStatus status, std::string reason) {
    ProfileResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

Json::Value& Entries(Json::Value& list) { return ObjectMember(list, "profilelist"); }

ProfileEntry EntryAt(const Json::Value& list, size_t index) {
    const Json::Value& entry = ElementOf(MemberOf(list, "profilelist"), static_cast<Json::ArrayIndex>(index));
    return {StringOf(MemberOf(entry, "profilename")), StringOf(MemberOf(entry, "profileUUID"))};
}

size_t CountOf(const Json::Value& list) { return MemberOf(list, "profilelist").size(); }

std::vector<std::string> NamesOf(const Json::Value& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < CountOf(list); ++i) names.push_back(EntryAt(list, i).name);
    return names;
}

bool Taken(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& other) { return SameDisplayName(other, name); });
}

// The profile document of a file; an object holding nothing when it cannot be read, which
// the profile's first load completes from the default profile.
Json::Value DocumentOf(const std::string& path) {
    Json::Value document = LoadJsonFile(path);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

}  // namespace

CProfileManager::CProfileManager(std::string userDirectory, std::string defaultProfilePath, int typeCode)
    : userDirectory_(userDirectory), defaultProfilePath_(defaultProfilePath), typeCode_(typeCode),
      list_(std::move(userDirectory), std::move(defaultProfilePath)) {}

Json::Value CProfileManager::Reload(ProfileResult& result) {
    Json::Value list = list_.Load();
    if (!list.isObject()) {
        result = Failure(ProfileStatus::NoList, "The profile list " + list_.ListFilePath() + " cannot be used");
    }
    return list;
}

Json::Value CProfileManager::ReloadFor(size_t index, ProfileResult& result) {
    Json::Value list = Reload(result);
    if (result.Ok() && index >= CountOf(list)) {
        result = Failure(ProfileStatus::NoSuchProfile, "There is no profile " + std::to_string(index + 1));
    }
    return list;
}

bool CProfileManager::WriteList(const Json::Value& list, ProfileResult& result) {
    const JsonFileWrite written = WriteJsonFile(list_.ListFilePath(), list);
    if (!written.ok) result = Failure(ProfileStatus::WriteFailed, "The profile list " + list_.ListFilePath() + " " + written.reason);
    return written.ok;
}

std::vector<ProfileEntry> CProfileManager::Profiles() {
    ProfileResult ignored;
    const Json::Value list = Reload(ignored);
    std::vector<ProfileEntry> profiles;
    for (size_t i = 0; i < CountOf(list); ++i) profiles.push_back(EntryAt(list, i));
    return profiles;
}

int CProfileManager::SelectedIndex() {
    ProfileResult ignored;
    const Json::Value list = Reload(ignored);
    if (!ignored.Ok()) return -1;
    const int selected = IntOf(MemberOf(list, "profileselect"));
    return selected >= 0 && static_cast<size_t>(selected) < CountOf(list) ? selected : 0;
}

int CProfileManager::IndexOfName(const std::string& name) {
    const std::vector<ProfileEntry> profiles = Profiles();
    for (size_t i = 0; i < profiles.size(); ++i) {
        if (SameDisplayName(profiles[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

ProfileResult CProfileManager::Select(size_t index) {
    ProfileResult result;
    Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    // Every start selects the stored selection again: a file that says so already is left as it is.
    const Json::Value& stored = MemberOf(list, "profileselect");
    const bool changed = !stored.isIntegral() || IntOf(stored) != static_cast<int>(index);
    list["profileselect"] = static_cast<Json::Int>(index);
    if (changed && !WriteList(list, result)) return result;
    result.index = index;
    result.profile = EntryAt(list, index);
    return result;
}

std::string CProfileManager::NewUuid(const Json::Value& list) const {
    // Identifiers come from the clock in milliseconds: profiles made within one millisecond,
    // or a stray file of an earlier profile, must not share a file.
    auto when = std::chrono::system_clock::now();
    const auto inUse = [&](const std::string& uuid) {
        for (size_t i = 0; i < CountOf(list); ++i) {
            if (EntryAt(list, i).uuid == uuid) return true;
        }
        std::error_code error;
        return fs::exists(ProfilePath(uuid), error);
    };
    std::string uuid = NewTimestampId(when);
    while (inUse(uuid)) {
        when += std::chrono::milliseconds(1);
        uuid = NewTimestampId(when);
    }
    return uuid;
}

ProfileResult CProfileManager::Append(Json::Value list, const std::string& name, Json::Value document) {
    ProfileResult result;
    const std::string uuid = NewUuid(list);
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    // The file first: the list never names a profile whose file could not be made.
    const JsonFileWrite written = WriteJsonFile(ProfilePath(uuid), document);
    if (!written.ok) return Failure(ProfileStatus::WriteFailed, "The profile file " + ProfilePath(uuid) + " " + written.reason);
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    Entries(list).append(entry);
    if (!WriteList(list, result)) {
        std::error_code error;
        fs::remove(ProfilePath(uuid), error);
        return result;
    }
    result.index = CountOf(list) - 1;
    result.profile = {name, uuid};
    return result;
}

ProfileResult CProfileManager::Add() {
    ProfileResult result;
    Json::Value list = Reload(result);
    if (!result.Ok()) return result;
    if (CountOf(list) >= kMaxAddedProfiles) {
        return Failure(ProfileStatus::LimitReached,
                       "There are " + std::to_string(CountOf(list)) + " profiles already; no more can be added");
    }
    // The new profile is the one the next start selects; the page keeps what it shows.
    list["profileselect"] = static_cast<Json::Int>(CountOf(list));
    return Append(list, AddedName(NamesOf(list)), DocumentOf(defaultProfilePath_));
}

ProfileResult CProfileManager::Copy(size_t index) {
    ProfileResult result;
    const Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    const ProfileEntry source = EntryAt(list, index);
    return Append(list, CopiedName(source.name, NamesOf(list)), DocumentOf(ProfilePath(source.uuid)));
}

ProfileResult CProfileManager::Delete(size_t index) {
    ProfileResult result;
    Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    if (CountOf(list) < 2) return Failure(ProfileStatus::LastProfile, "The only profile cannot be deleted");
    const ProfileEntry removed = EntryAt(list, index);
    const int wasSelected = IntOf(MemberOf(list, "profileselect"));
    Json::Value removedEntry;
    Entries(list).removeIndex(static_cast<Json::ArrayIndex>(index), &removedEntry);
    // The selected profile deleted: the one before it. Another deleted: the selected stays.
    size_t selected = index == 0 ? 0 : index - 1;
    if (wasSelected >= 0 && static_cast<size_t>(wasSelected) != index && static_cast<size_t>(wasSelected) <= CountOf(list)) {
        selected = static_cast<size_t>(wasSelected) > index ? static_cast<size_t>(wasSelected) - 1 : static_cast<size_t>(wasSelected);
    }
    list["profileselect"] = static_cast<Json::Int>(selected);
    // The list first: a list naming a file that is gone would be worse than a stray file.
    if (!WriteList(list, result)) return result;
    std::error_code error;
    if (IsSafeFileStem(removed.uuid)) fs::remove(ProfilePath(removed.uuid), error);
    if (error) Trace("profile file %s not removed: %s", ProfilePath(removed.uuid).c_str(), error.message().c_str());
    result.index = selected;
    result.profile = EntryAt(list, selected);
    return result;
}

ProfileResult CProfileManager::Rename(size_t index, const std::string& name) {
    ProfileResult result;
    Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    if (name.empty()) return Failure(ProfileStatus::EmptyName, "A profile needs a name");
    for (size_t i = 0; i < CountOf(list); ++i) {
        if (i != index && SameDisplayName(EntryAt(list, i).name, name)) {
            return Failure(ProfileStatus::NameInUse, "Another profile is named \"" + name + "\" already");
        }
    }
    Entries(list)[static_cast<Json::ArrayIndex>(index)]["profilename"] = name;
    if (!WriteList(list, result)) return result;
    // The file carries the name too; a file that cannot be read is left for its load to deal with.
    const std::string path = ProfilePath(EntryAt(list, index).uuid);
    JsonFileRead file = ReadJsonFile(path);
    if (file.status == JsonFileStatus::Ok && file.value.isObject()) {
        file.value["profilename"] = name;
        if (const JsonFileWrite written = WriteJsonFile(path, file.value); !written.ok) {
            return Failure(ProfileStatus::WriteFailed, "The profile file " + path + " " + written.reason);
        }
    }
    result.index = index;
    result.profile = EntryAt(list, index);
    return result;
}

ProfileResult CProfileManager::Reset(size_t index) {
    ProfileResult result;
    const Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    const ProfileEntry profile = EntryAt(list, index);
    const std::string path = ProfilePath(profile.uuid);
    Json::Value document = DocumentOf(defaultProfilePath_);
    document["profilename"] = profile.name;
    document["profileUUID"] = profile.uuid;
    const Json::Value current = LoadJsonFile(path);
    if (typeCode_ == kHeadsetType) {
        // The user's own equaliser settings survive a reset.
        const Json::Value& device = ElementOf(MemberOf(current, "Device"), 0);
        Json::Value& target = ArrayElement(ObjectMember(document, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            if (!MemberOf(device, key).isNull()) ObjectMember(target, key) = MemberOf(device, key);
        }
    }
    // The settings the user asked to reset are kept beside the file all the same.
    const KeptFileCopy kept = KeepCopyOfFile(path, "before-reset");
    if (!kept.kept && PathExists(path)) {
        return Failure(ProfileStatus::WriteFailed, "The profile file " + path + " was not reset: " + kept.reason);
    }
    if (const JsonFileWrite written = WriteJsonFile(path, document); !written.ok) {
        return Failure(ProfileStatus::WriteFailed, "The profile file " + path + " " + written.reason);
    }
    result.index = index;
    result.profile = profile;
    return result;
}

ProfileResult CProfileManager::Import(const std::string& path) {
    const JsonFileRead imported = ReadJsonFile(path);
    if (imported.status != JsonFileStatus::Ok) {
        return Failure(imported.status == JsonFileStatus::NotJson || imported.status == JsonFileStatus::Empty
                           ? ProfileStatus::NotAProfile
                           : ProfileStatus::ReadFailed,
                       "The file " + path + " " + imported.reason);
    }
    const Json::Value& name = MemberOf(imported.value, "profilename");
    if (!name.isString() || !MemberOf(imported.value, "profileUUID").isString()) {
        return Failure(ProfileStatus::NotAProfile, "The file " + path + " is no profile: it has no \"profilename\" and \"profileUUID\"");
    }
    ProfileResult result;
    const Json::Value list = Reload(result);
    if (!result.Ok()) return result;
    return Append(list, ImportedName(name.asString(), NamesOf(list)), imported.value);
}

ProfileResult CProfileManager::Export(size_t index, const std::string& path, bool replace) {
    ProfileResult result;
    const Json::Value list = ReloadFor(index, result);
    if (!result.Ok()) return result;
    if (!replace && PathExists(path)) {
        return Failure(ProfileStatus::Exists, "The file " + path + " exists already; it was not replaced");
    }
    const std::string source = ProfilePath(EntryAt(list, index).uuid);
    const JsonFileRead document = ReadJsonFile(source);
    if (document.status != JsonFileStatus::Ok) {
        return Failure(ProfileStatus::ReadFailed, "The profile file " + source + " " + document.reason);
    }
    if (const JsonFileWrite written = WriteJsonFile(path, document.value); !written.ok) {
        return Failure(ProfileStatus::WriteFailed, "The file " + path + " " + written.reason);
    }
    result.index = index;
    result.profile = EntryAt(list, index);
    return result;
}

std::string CProfileManager::AddedName(const std::vector<std::string>& names) {
    for (int n = 1;; ++n) {
        const std::string name = "profile" + std::to_string(n);
        if (!Taken(names, name)) return name;
    }
}

std::string CProfileManager::CopiedName(const std::string& source, const std::vector<std::string>& names) {
    std::string name = source + " copy";
    while (Taken(names, name)) name += " copy";
    return name;
}

std::string CProfileManager::ImportedName(const std::string& imported, const std::vector<std::string>& names) {
    std::string name = imported;
    for (int n = 1; Taken(names, name); ++n) name += "(" + std::to_string(n) + ")";
    return name;
}

}  // namespace velnor7
