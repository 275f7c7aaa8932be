#include "profiles/CBasicProfiledata.h"

#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/NoticeOnce.h"
#include "common/Paths.h"
#include "common/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/ProfileFile.h"

#include <optional>

namespace velnor7 {
namespace {

constexpr FieldKey<LightInfoRecord, uint8_t> kLightInfoKeys[] = {
    {"SelectItem", &LightInfoRecord::selectItem},
    {"Light", &LightInfoRecord::light},
    {"Speed", &LightInfoRecord::speed},
    {"Fx", &LightInfoRecord::fx},
    {"MultiColor", &LightInfoRecord::multiColor, true},
    {"Red", &LightInfoRecord::red},
    {"Green", &LightInfoRecord::green},
    {"Blue", &LightInfoRecord::blue},
    {"LedStaus", &LightInfoRecord::ledStaus},
    {"zzccSelectItem", &LightInfoRecord::zzccSelectItem},
    {"CustomGroup", &LightInfoRecord::customGroup},
};

constexpr FieldKey<LightListEntry, uint8_t> kLightListKeys[] = {
    {"LEDREGMode", &LightListEntry::mode},
    {"LEDBrightness", &LightListEntry::brightness},
    {"LEDSpeed", &LightListEntry::speed},
    {"LEDDirection", &LightListEntry::direction, true},
    {"LEDMultiColor", &LightListEntry::multiColor, true},
    {"red", &LightListEntry::red},
    {"green", &LightListEntry::green},
    {"blue", &LightListEntry::blue},
};

KeyAssignment AssignmentAt(Json::ArrayIndex position, const Json::Value& packed) {
    KeyAssignment assignment;
    assignment.passThrough = {static_cast<uint8_t>(position), static_cast<uint8_t>(position >> 8)};
    assignment.code = UnpackKeyCode(IntOf(packed));
    return assignment;
}

}  // namespace

void CBasicProfiledata::SetPath(const std::string& path) {
    if (!path.empty()) path_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty()) defaultPath_ = path;
}

bool CBasicProfiledata::SetProfileFile(const std::string& userDirectory, const std::string& profileUuid) {
    if (!IsSafeFileStem(profileUuid)) {
        Trace("profile id refused as a file name: %s", profileUuid.c_str());
        return false;
    }
    SetPath(userDirectory + profileUuid + ".Json");
    return true;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) {
    if (!path.empty()) lightConfigPath_ = path;
}

void CBasicProfiledata::SetDefaultDataDirectory(const std::string& directory) {
    if (!directory.empty()) defaultDataDirectory_ = directory;
}

std::string CBasicProfiledata::DefaultDataFolder() const {
    return defaultDataDirectory_.empty() ? DefaultDataDirectory() : defaultDataDirectory_;
}

void CBasicProfiledata::SetPresetListIndex(int kindIndex) {
    if (kindIndex >= 0 && kindIndex <= kMaxDocumentIndex) presetListIndex_ = kindIndex;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
    const size_t slash = path.rfind('/');
    lightConfigFolder_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    lightConfig_ = LoadUserLightList(path, DefaultDataFolder());
    return lightConfig_;
}

std::vector<EffectStep> CBasicProfiledata::ReadLightPreset() {
    presetSteps_.clear();
    const int position = lightInfo_.selectItem - FirstPresetSelectItem;
    if (!lightConfig_.isNull() && position >= 0) {
        const Json::Value& presets =
            ElementOf(MemberOf(lightConfig_, "LightInfo"), static_cast<Json::ArrayIndex>(presetListIndex_));
        const Json::Value& preset = ElementOf(presets, static_cast<Json::ArrayIndex>(position));
        const std::string guid = StringOf(MemberOf(preset, "Guid"));
        if (guid.empty())
            Trace("light list %d has no preset %d", presetListIndex_, position);
        else
            presetSteps_ = LoadPresetSteps(guid, lightConfigFolder_, DefaultDataFolder());
    }
    return presetSteps_;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index >= 0 && index <= kMaxDocumentIndex) deviceIndex_ = index;
}

Json::Value CBasicProfiledata::Load(const std::string& path) {
    const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
    ProfileFileRead read = ReadProfileFile(path, index);
    document_ = ElementOf(MemberOf(read.file, "Device"), index);
    if (read.state == ProfileFileRead::State::Usable && document_.isObject()) {
        fileStatus_ = ProfileFileStatus::Ok;
        return document_;
    }

    const Json::Value defaults = ElementOf(MemberOf(LoadJsonFile(defaultPath_), "Device"), index);
    document_ = defaults.isObject() ? defaults : Json::Value();
    fileStatus_ = ProfileFileStatus::LeftAlone;
    // Without a default document there is nothing to repair the file with; leave it
    // untouched rather than overwrite it with an empty device.
    if (!defaults.isObject() && read.state != ProfileFileRead::State::Untouchable) {
        Trace("default profile has no device document: %s", defaultPath_.c_str());
        if (read.state == ProfileFileRead::State::Broken) {
            UserNoticeOnce("The profile file " + path + " " + read.reason +
                           "; it was left as it is, because the default profile " + defaultPath_ +
                           " has no device settings to repair it with.");
        }
        return document_;
    }
    const std::optional<std::string> copy =
        KeepBeforeRewrite(path, read, "the default settings are used until it is fixed");
    if (!copy) return document_;

    ArrayElement(ObjectMember(read.file, "Device"), index) = defaults;
    const JsonFileWrite written = WriteJsonFile(path, read.file);
    if (read.state == ProfileFileRead::State::Broken) {
        TellRepair(path, read, *copy, written.ok, "its device settings were reset to the defaults",
                   "the repaired file " + written.reason);
        fileStatus_ = written.ok ? ProfileFileStatus::Repaired : ProfileFileStatus::WriteFailed;
    } else {
        if (!written.ok) Trace("profile repair not written: %s", path.c_str());
        fileStatus_ = written.ok ? ProfileFileStatus::Completed : ProfileFileStatus::WriteFailed;
    }
    return document_;
}

int CBasicProfiledata::Save() { return StoreDevice(document_, path_); }

int CBasicProfiledata::StoreDevice(const Json::Value& document, const std::string& path) {
    ProfileFileRead read = ReadProfileFile(path, static_cast<Json::ArrayIndex>(deviceIndex_));
    const std::optional<std::string> copy = KeepBeforeRewrite(path, read, "the changes were not saved");
    if (!copy) {
        fileStatus_ = ProfileFileStatus::LeftAlone;
        return 1;
    }
    ArrayElement(ObjectMember(read.file, "Device"), static_cast<Json::ArrayIndex>(deviceIndex_)) = document;
    const JsonFileWrite written = WriteJsonFile(path, read.file);
    const bool broken = read.state == ProfileFileRead::State::Broken;
    if (broken)
        TellRepair(path, read, *copy, written.ok, "the profile was saved anew", "the profile " + written.reason);
    if (!written.ok) {
        fileStatus_ = ProfileFileStatus::WriteFailed;
        return 1;
    }
    fileStatus_ = broken ? ProfileFileStatus::Repaired : ProfileFileStatus::Ok;
    return 0;
}

int CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path) {
    return wirtejsonFile(path, document);
}

LightInfoRecord CBasicProfiledata::ReadLightInfo() {
    const Json::Value& stored = MemberOf(document_, "LightInfo");
    if (stored.isNull()) {
        lightInfo_ = defaultLightInfo_;
    } else {
        lightInfo_ = LightInfoRecord{};
        ReadFields(stored, kLightInfoKeys, lightInfo_);
    }
    return lightInfo_;
}

void CBasicProfiledata::WriteLightInfo(const LightInfoRecord& record) {
    lightInfo_ = record;
    Json::Value rebuilt(Json::objectValue);
    WriteFields(rebuilt, kLightInfoKeys, record);
    ObjectMember(document_, "LightInfo") = rebuilt;
}

std::vector<LightListEntry> CBasicProfiledata::ReadLightList() {
    lightList_.clear();
    const Json::Value& stored = MemberOf(document_, "LightList");
    for (Json::ArrayIndex i = 0; stored.isArray() && i < stored.size(); ++i) {
        LightListEntry entry;
        if (!stored[i].isNull()) {
            ReadFields(stored[i], kLightListKeys, entry);
            entry.present = 1;
        }
        lightList_.push_back(entry);
    }
    return lightList_;
}

std::vector<KeyListEntry> CBasicProfiledata::ReadKeyList() {
    keyList_.clear();
    const Json::Value& stored = MemberOf(document_, "KeyList");
    for (Json::ArrayIndex i = 0; stored.isArray() && i < stored.size(); ++i) {
        keyList_.push_back({AssignmentAt(i, MemberOf(stored[i], "Assignment")),
                            AssignmentAt(i, MemberOf(stored[i], "DefaultAssignment"))});
    }
    return keyList_;
}

void CBasicProfiledata::WriteKeyList(const std::vector<KeyListEntry>& list) {
    keyList_ = list;
    Json::Value& stored = ObjectMember(document_, "KeyList");
    for (size_t i = 0; i < list.size(); ++i) {
        Json::Value& element = ArrayElement(stored, static_cast<Json::ArrayIndex>(i));
        ObjectMember(element, "Assignment") = Json::Value(PackKeyCode(list[i].current.code));
    }
}

}  // namespace velnor7
