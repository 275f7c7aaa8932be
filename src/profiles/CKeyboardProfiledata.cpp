#include "profiles/CKeyboardProfiledata.h"

#include "profiles/JsonAccess.h"

namespace velnor7 {
namespace {

constexpr CustomColour kYellow{255, 255, 0, 255};
constexpr CustomColour kRed{255, 0, 0, 255};
constexpr CustomColour kGreen{0, 255, 0, 255};

constexpr FieldKey<KeyboardSystemValues, uint16_t> kSystemKeys[] = {
    {"Repeat", &KeyboardSystemValues::repeat},
    {"RepeatDelay", &KeyboardSystemValues::repeatDelay},
    {"Key6Flag", &KeyboardSystemValues::key6Flag},
    {"PollingRate", &KeyboardSystemValues::pollingRate},
    {"WFlag", &KeyboardSystemValues::wFlag},
    {"WinFlag", &KeyboardSystemValues::winFlag},
};

constexpr FieldKey<CustomColour, uint8_t> kColourKeys[] = {
    {"Red", &CustomColour::red},
    {"Green", &CustomColour::green},
    {"Blue", &CustomColour::blue},
    {"Alpha", &CustomColour::alpha},
};

Json::Value ColourToJson(const CustomColour& colour) {
    Json::Value element(Json::objectValue);
    WriteFields(element, kColourKeys, colour);
    return element;
}

void ApplyDefaultCustomKeys(Json::Value& group) {
    for (const auto& key : DefaultCustomKeys) ArrayElement(group, key.key) = ColourToJson(key.colour);
}

const Json::Value& CustomLightMode(const Json::Value& document) { return MemberOf(document, "CustomLightMode"); }

}  // namespace

const std::array<DefaultCustomKey, 10> DefaultCustomKeys = {{
    {22, kYellow}, {23, kYellow}, {24, kYellow}, {25, kYellow}, {26, kYellow},
    {44, kRed}, {46, kGreen}, {64, kRed}, {65, kRed}, {66, kRed},
}};

KeyboardSystemValues CKeyboardProfiledata::ReadSystemStages() {
    systemValues_ = KeyboardSystemValues{};
    ReadFields(MemberOf(GetDocument(), "SystemStages"), kSystemKeys, systemValues_);
    return systemValues_;
}

void CKeyboardProfiledata::WriteSystemStages(const KeyboardSystemValues& values) {
    systemValues_ = values;
    WriteFields(ObjectMember(Document(), "SystemStages"), kSystemKeys, values);
}

Json::Value& CKeyboardProfiledata::WritableGroup(int group) {
    Json::Value& groups = ObjectMember(ObjectMember(Document(), "CustomLightMode"), "LightColorInfo");
    return ArrayElement(groups, static_cast<Json::ArrayIndex>(group));
}

std::vector<CustomColour> CKeyboardProfiledata::ReadCustomColours(int group, int count) {
    customColours_.clear();
    if (group < 0 || group > kMaxDocumentIndex || count <= 0) return customColours_;
    const auto elements = static_cast<Json::ArrayIndex>(count);
    const Json::Value& stored = ElementOf(MemberOf(CustomLightMode(GetDocument()), "LightColorInfo"),
                                          static_cast<Json::ArrayIndex>(group));
    if (!stored.isArray()) {
        Json::Value& created = WritableGroup(group);
        created = Json::Value(Json::arrayValue);
        for (Json::ArrayIndex i = 0; i < elements; ++i) created[i] = ColourToJson(CustomColour{});
        ApplyDefaultCustomKeys(created);
        customColours_.assign(elements, CustomColour{});
        return customColours_;
    }
    Json::Value& existing = WritableGroup(group);
    for (Json::ArrayIndex k = 0; k < elements; ++k) {
        CustomColour colour;
        if (ElementOf(existing, k).isNull()) {
            existing[k] = ColourToJson(CustomColour{});
            ApplyDefaultCustomKeys(existing);
        } else {
            ReadFields(existing[k], kColourKeys, colour);
        }
        customColours_.push_back(colour);
    }
    return customColours_;
}

void CKeyboardProfiledata::WriteCustomColours(const std::vector<CustomColour>& colours, int group) {
    customColours_ = colours;
    if (group < 0 || group > kMaxDocumentIndex) return;
    Json::Value& stored = WritableGroup(group);
    for (size_t i = 0; i < colours.size(); ++i) ArrayElement(stored, static_cast<Json::ArrayIndex>(i)) = ColourToJson(colours[i]);
}

int32_t CKeyboardProfiledata::ReadCustomGroupIndex() {
    customGroupIndex_ = IntOf(MemberOf(CustomLightMode(GetDocument()), "CustomLightModeGroupIndex"));
    return customGroupIndex_;
}

void CKeyboardProfiledata::WriteCustomGroupIndex(int32_t index) {
    customGroupIndex_ = index;
    ObjectMember(ObjectMember(Document(), "CustomLightMode"), "CustomLightModeGroupIndex") = Json::Value(index);
}

}  // namespace velnor7
