// The settings of a device page's current profile: one device document held in
// memory, read into typed records and written back, stored in the profile file
// on request. The mouse pad page uses this class directly.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

#include "profiles/LightPresets.h"
#include "profiles/ProfileRecords.h"

namespace velnor7 {

// What the last Load, Save or StoreDevice did with the profile file.
enum class ProfileFileStatus {
    Ok,           // read, or written, as asked
    Completed,    // Load: the file was missing or had no device document; the default one was put in and written
    Repaired,     // the file did not parse or its "Device" had the wrong shape: it was kept as a ".broken-"
                  // copy, then written anew (the user is told)
    LeftAlone,    // the file is not a regular file, cannot be read, could not be kept aside, or there is
                  // nothing to repair it with: nothing was written (Load uses the default document)
    WriteFailed,  // the file could not be written
};

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // Both keep the old path when given an empty one.
    void SetPath(const std::string& path);
    void SetDefaultPath(const std::string& path);
    // Sets the path to userDirectory + profileUuid + ".Json". The identifier comes
    // from the profile list file, so one that is not a plain file name is refused
    // (false, path unchanged).
    bool SetProfileFile(const std::string& userDirectory, const std::string& profileUuid);
    const std::string& GetPath() const { return path_; }
    const std::string& GetDefaultPath() const { return defaultPath_; }

    void SetLightConfigPath(const std::string& path);
    const std::string& GetLightConfigPath() const { return lightConfigPath_; }

    // Light mode n plays preset n - FirstPresetSelectItem of the light list.
    static constexpr int FirstPresetSelectItem = 0;
    // Where the shipped light list and presets are found when the user has none:
    // DefaultDataDirectory() unless set. Ignored when empty.
    void SetDefaultDataDirectory(const std::string& directory);
    std::string DefaultDataFolder() const;
    // The element of the light list's "LightInfo" that holds this profile's presets:
    // the page's DeviceKindIndex, so that the presets played are those its panel
    // names. 0 (keyboard) unless set; values outside 0..kMaxDocumentIndex are ignored.
    void SetPresetListIndex(int kindIndex);

    // Reads the user light list at `path` (the shipped one when the user has none
    // there), keeps it and returns a copy. Presets are then looked for in the
    // folder of `path`, then in the default data folder.
    Json::Value LoadLightConfig(const std::string& path);
    // The steps of the preset that the light info's "SelectItem" selects in the
    // kept light list, also kept as the preset steps. Empty when there is no light
    // list, no such preset, or its file is refused, missing or unusable.
    std::vector<EffectStep> ReadLightPreset();

    // Values outside 0..kMaxDocumentIndex are ignored.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex_; }

    // Reads the device document from the profile file. When the file is missing or
    // has none, the default profile's document is put into the file, which is
    // rewritten at once, and used. A file that does not parse, or whose "Device" has
    // the wrong shape, is kept as a ".broken-" copy first. A file that is not a
    // regular file or cannot be read is never written; the default document is used.
    // Returns a copy of the document; FileStatus() tells what happened.
    Json::Value Load(const std::string& path);

    // Stores the document in the profile file. 0 on success, 1 when the file
    // cannot be written or must be left alone (FileStatus() tells which).
    virtual int Save();
    // Puts `document` into "Device"[DeviceIndex] of the file at `path`; every
    // other part of the file is kept. A file that does not parse is kept as a
    // ".broken-" copy before it is replaced; one that is not a regular file or
    // cannot be read is left alone (1).
    virtual int StoreDevice(const Json::Value& document, const std::string& path);
    // Writes `document` as the whole file.
    virtual int WriteDocument(const Json::Value& document, const std::string& path);

    // The Read operations cache what they return; the Write operations change the
    // in-memory document (and the cache) only.
    LightInfoRecord ReadLightInfo();
    void WriteLightInfo(const LightInfoRecord& record);
    std::vector<LightListEntry> ReadLightList();
    std::vector<KeyListEntry> ReadKeyList();
    // Sets "Assignment" of the first list.size() elements; "DefaultAssignment"
    // and the elements beyond the list are left as they are.
    void WriteKeyList(const std::vector<KeyListEntry>& list);

    ProfileFileStatus FileStatus() const { return fileStatus_; }

    const Json::Value& GetDocument() const { return document_; }
    const LightInfoRecord& GetLightInfo() const { return lightInfo_; }
    const std::vector<LightListEntry>& GetLightList() const { return lightList_; }
    const std::vector<KeyListEntry>& GetKeyList() const { return keyList_; }
    const Json::Value& GetLightConfig() const { return lightConfig_; }
    const std::vector<EffectStep>& GetPresetSteps() const { return presetSteps_; }

protected:
    Json::Value& Document() { return document_; }

private:
    std::string path_;
    std::string defaultPath_;
    LightInfoRecord lightInfo_;
    // What a document without "LightInfo" reads as.
    LightInfoRecord defaultLightInfo_;
    std::vector<LightListEntry> lightList_;
    Json::Value document_;
    std::string lightConfigPath_;
    std::vector<EffectStep> presetSteps_;
    Json::Value lightConfig_;
    // The folder of the light list last loaded: the user's presets lie beside it.
    std::string lightConfigFolder_;
    std::string defaultDataDirectory_;  // empty: the program's own, looked up when needed
    int presetListIndex_ = 0;
    std::vector<KeyListEntry> keyList_;
    int deviceIndex_ = 0;
    ProfileFileStatus fileStatus_ = ProfileFileStatus::Ok;
};

}  // namespace velnor7
