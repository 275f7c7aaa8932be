#include "profiles/CBasicProfiledata.h"

#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/Trace.h"
#include "profiles/JsonAccess.h"

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

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index >= 0 && index <= kMaxDocumentIndex) deviceIndex_ = index;
}

Json::Value CBasicProfiledata::Load(const std::string& path) {
    const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
    Json::Value file = LoadJsonFile(path);
    Json::Value document = ElementOf(MemberOf(file, "Device"), index);
    if (!document.isObject()) {
        const Json::Value defaults = LoadJsonFile(defaultPath_);
        document = ElementOf(MemberOf(defaults, "Device"), index);
        // Without a default document there is nothing to repair the file with;
        // leave it untouched rather than overwrite it with an empty device.
        if (document.isObject()) {
            ArrayElement(ObjectMember(file, "Device"), index) = document;
            if (wirtejsonFile(path, file) != 0) Trace("profile repair not written: %s", path.c_str());
        } else {
            Trace("default profile has no device document: %s", defaultPath_.c_str());
        }
    }
    document_ = document;
    return document_;
}

int CBasicProfiledata::Save() { return StoreDevice(document_, path_); }

int CBasicProfiledata::StoreDevice(const Json::Value& document, const std::string& path) {
    Json::Value file = LoadJsonFile(path);
    ArrayElement(ObjectMember(file, "Device"), static_cast<Json::ArrayIndex>(deviceIndex_)) = document;
    return wirtejsonFile(path, file);
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
