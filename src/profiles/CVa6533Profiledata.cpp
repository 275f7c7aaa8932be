#include "profiles/CVa6533Profiledata.h"

#include <algorithm>

#include "profiles/JsonAccess.h"

namespace velnor7 {
namespace {

constexpr FieldKey<HeadsetAudioSettings, int32_t> kSettingKeys[] = {
    {"MagicEnable", &HeadsetAudioSettings::magicEnable},
    {"MagicType", &HeadsetAudioSettings::magicType},
    {"EqType", &HeadsetAudioSettings::eqType},
    {"CustomEqSeletIndex", &HeadsetAudioSettings::customEqSeletIndex},
    {"MicInSelect", &HeadsetAudioSettings::micInSelect},
    {"MicInValue", &HeadsetAudioSettings::micInValue},
    {"MicMoniterSelect", &HeadsetAudioSettings::micMoniterSelect},
    {"MicMoniterValue", &HeadsetAudioSettings::micMoniterValue},
};

constexpr const char* kEqValuesKey = "EQHzValueInfo";
constexpr const char* kCustomEqValuesKey = "CustomEQHzValueInfo";

std::optional<Json::ArrayIndex> CustomEqSlot(int number) {
    if (number < 0 || number > kMaxDocumentIndex) return std::nullopt;
    return static_cast<Json::ArrayIndex>(number);
}

}  // namespace

std::optional<Json::ArrayIndex> EqSlot(int eqType) {
    if (eqType == kCustomEqType) return std::nullopt;
    if (eqType >= 1 && eqType <= 12) return static_cast<Json::ArrayIndex>(eqType);
    return 1;
}

HeadsetAudioSettings CVa6533Profiledata::ReadHeadsetSettings() {
    settings_ = HeadsetAudioSettings{};
    ReadFields(MemberOf(GetDocument(), "SystemSetStages"), kSettingKeys, settings_);
    return settings_;
}

void CVa6533Profiledata::WriteHeadsetSettings(const HeadsetAudioSettings& settings) {
    settings_ = settings;
    WriteFields(ObjectMember(Document(), "SystemSetStages"), kSettingKeys, settings);
}

std::vector<int32_t> CVa6533Profiledata::ReadEqValues(int eqType) {
    const auto slot = EqSlot(eqType);
    return slot ? ReadBands(kEqValuesKey, *slot) : std::vector<int32_t>{};
}

void CVa6533Profiledata::WriteEqValues(int eqType, const std::vector<int32_t>& values) {
    if (const auto slot = EqSlot(eqType)) WriteBands(kEqValuesKey, *slot, values);
}

std::vector<int32_t> CVa6533Profiledata::ReadCustomEqValues(int number) {
    const auto slot = CustomEqSlot(number);
    return slot ? ReadBands(kCustomEqValuesKey, *slot) : std::vector<int32_t>{};
}

void CVa6533Profiledata::WriteCustomEqValues(int number, const std::vector<int32_t>& values) {
    if (const auto slot = CustomEqSlot(number)) WriteBands(kCustomEqValuesKey, *slot, values);
}

std::vector<int32_t> CVa6533Profiledata::ReadBands(const char* key, Json::ArrayIndex slot) {
    std::vector<int32_t> values(kEqBandCount, 0);
    const Json::Value& bands = ElementOf(MemberOf(GetDocument(), key), slot);
    if (!bands.isArray()) {
        WriteBands(key, slot, values);
        return values;
    }
    for (Json::ArrayIndex b = 0; b < kEqBandCount; ++b) values[b] = IntOf(MemberOf(ElementOf(bands, b), "value"));
    return values;
}

void CVa6533Profiledata::WriteBands(const char* key, Json::ArrayIndex slot, const std::vector<int32_t>& values) {
    Json::Value& bands = ArrayElement(ObjectMember(Document(), key), slot);
    const size_t count = std::min<size_t>(values.size(), kEqBandCount);
    for (size_t b = 0; b < count; ++b) {
        ObjectMember(ArrayElement(bands, static_cast<Json::ArrayIndex>(b)), "value") = Json::Value(values[b]);
    }
}

std::vector<std::string> CVa6533Profiledata::ReadCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& stored = MemberOf(GetDocument(), "CustomEQNameInfo");
    for (Json::ArrayIndex i = 0; stored.isArray() && i < stored.size(); ++i) names.push_back(StringOf(MemberOf(stored[i], "Name")));
    return names;
}

void CVa6533Profiledata::WriteCustomEqNames(const std::vector<std::string>& names) {
    Json::Value rebuilt(Json::arrayValue);
    for (const auto& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = name;
        rebuilt.append(element);
    }
    ObjectMember(Document(), "CustomEQNameInfo") = rebuilt;
}

}  // namespace velnor7
