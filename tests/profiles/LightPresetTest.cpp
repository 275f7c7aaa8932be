// Light presets: the user light list, the preset files it names, and the light
// name lists of the lighting panel.
#include "profiles/LightPresets.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include "common/Trace.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/LightNameLists.h"
#include "ProfileTestSupport.h"

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using testing::ProfileFolderTest;

// A preset file with one step per mode given.
std::string PresetWithModes(std::initializer_list<int> modes) {
    std::string text = R"({"LEDEffectList": [)";
    for (const int mode : modes) text += "{\"LEDREGMode\": " + std::to_string(mode) + ", \"Time\": 1000},";
    text.back() = ']';
    return text + "}";
}

class LightPresetTest : public ProfileFolderTest {
protected:
    void SetUp() override {
        ProfileFolderTest::SetUp();
        fs::create_directories(folder_ / "user" / "a");
        fs::create_directories(folder_ / "defaults");
        profile_.SetDefaultDataDirectory(PathOf("defaults/"));
    }
    // The modes of the steps of preset `selectItem` of the user light list.
    std::vector<int> Play(int selectItem) {
        LightInfoRecord light;
        light.selectItem = static_cast<uint8_t>(selectItem);
        profile_.WriteLightInfo(light);
        profile_.LoadLightConfig(PathOf("user/zelva_light.config"));
        std::vector<int> modes;
        for (const EffectStep& step : profile_.ReadLightPreset()) modes.push_back(step.mode);
        EXPECT_EQ(profile_.GetPresetSteps().size(), modes.size());
        return modes;
    }

    CBasicProfiledata profile_;
};

TEST_F(LightPresetTest, StepsAreReadInOrderWithAbsentKeysZeroAndTheLowBitsOfWhatIsStored) {
    const struct {
        const char* element;
        EffectStep expected;
    } cases[] = {
        {R"({"LEDREGMode": 4, "LEDBrightness": 5, "LEDSpeed": 2, "LEDDirection": 1, "LEDMultiColor": 1,
             "red": 10, "green": 20, "blue": 30, "Time": 500, "Cyle": 7})",
         {4, 5, 2, 1, 1, 10, 20, 30, 0, 0, 0, 500, 7}},
        {"{}", {}},
        {"7", {}},
        {R"({"LEDREGMode": 260, "red": -1, "green": 511, "LEDDirection": true, "LEDSpeed": "3"})",
         {4, 0, 0, 1, 0, 255, 255, 0, 0, 0, 0, 0, 0}},
        {R"({"Time": 4294967303, "Cyle": -1})", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0xFFFFFFFF}},
        {R"({"Time": -5})", {}},  // a negative duration plays like 0, not for 49 days
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        Json::Value preset;
        const std::string element = c.element;
        ASSERT_TRUE(Json::Reader().parse(R"({"LEDEffectList": [)" + element + "," + element + "]}", preset));
        EXPECT_EQ(EffectStepsOf(preset), std::vector<EffectStep>(2, c.expected));
    }
    for (const char* text : {R"({"LEDEffectList": {"a": {}}})", R"({"LEDEffectList": 3})", "[]"}) {
        Json::Value preset;
        ASSERT_TRUE(Json::Reader().parse(text, preset));
        EXPECT_TRUE(EffectStepsOf(preset).empty()) << text;
    }
}

TEST_F(LightPresetTest, APresetIsTakenFromTheUserFolderThenTheDefaultsAndNeverFromElsewhere) {
    WriteText("user/zelva_light.config", R"({"LightInfo": [[{"Guid": "u"}, {"Guid": "d"}, {"Guid": "both"},
        {"Guid": "broken"}, {"Guid": "../x"}, {"Guid": "/etc/passwd"}, {"Guid": "a/b"}, {"Guid": ".."},
        {"Guid": "none"}, null, {"LightName": "no Guid"}]]})");
    WriteText("user/u.light", PresetWithModes({1, 0, 5}));
    WriteText("defaults/d.light", PresetWithModes({2}));
    WriteText("user/both.light", PresetWithModes({1}));
    WriteText("defaults/both.light", PresetWithModes({4}));
    WriteText("user/broken.light", "not json");  // the user's own file is not replaced by the shipped one
    WriteText("defaults/broken.light", PresetWithModes({4}));
    // Where unsafe or empty Guids would lead.
    WriteText("x.light", PresetWithModes({2}));
    WriteText("user/a/b.light", PresetWithModes({2}));
    WriteText("user/.light", PresetWithModes({2}));
    WriteText("defaults/.light", PresetWithModes({2}));

    const std::vector<std::vector<int>> expected = {{1, 0, 5}, {2}, {1}};
    TraceCapture trace;
    for (int selectItem = 0; selectItem < 12; ++selectItem) {
        ASSERT_EQ(Play(2), expected[2]);  // a preset that is gone leaves no steps behind
        EXPECT_EQ(Play(selectItem), selectItem < 3 ? expected[selectItem] : std::vector<int>{}) << selectItem;
    }
    for (const char* guid : {"../x", "/etc/passwd", "a/b", ".."})
        EXPECT_TRUE(trace.Contains(std::string("light preset refused as a file name: ") + guid)) << guid;
    EXPECT_TRUE(trace.Contains("light list 0 has no preset 11"));
}

TEST_F(LightPresetTest, TheShippedListServesWhenTheUserHasNoneAndEachPagePlaysTheListItsPanelNames) {
    WriteText("defaults/zelva_light.config", R"({"LightInfo": [[{"Guid": "k"}], [{"Guid": "m", "LightName": "M"}]]})");
    WriteText("defaults/k.light", PresetWithModes({5}));
    WriteText("defaults/m.light", PresetWithModes({0, 1}));
    EXPECT_EQ(Play(0), std::vector<int>{5});
    EXPECT_EQ(profile_.GetLightConfig()["LightInfo"][0][0]["Guid"], "k");
    profile_.SetPresetListIndex(1);
    EXPECT_EQ(Play(0), (std::vector<int>{0, 1}));
    LightNameLists names;
    LoadLightNameLists(names, 1, PathOf("user/"), PathOf("defaults/"));
    EXPECT_EQ(names.presets, std::vector<std::string>{"M"});

    // The user's own list replaces the shipped one, even when it cannot be used.
    WriteText("user/zelva_light.config", "{");
    EXPECT_TRUE(Play(0).empty());
    EXPECT_TRUE(profile_.GetLightConfig().isNull());
}

TEST_F(LightPresetTest, NameListsAreReplacedByTheirSourceAndKeptWhenItIsMissing) {
    constexpr char kNames[] = R"({"DefaultLightName": [[{"LightName": "Wave", "visible": true}],
        [{"LightName": "Off", "visible": 0}, 5, {"visible": 1}]], "AreaLightName": [[], [{"LightName": "Logo"}]]})";
    constexpr char kUserList[] = R"({"LightInfo": [[], [{"LightName": "Mine"}, {"Guid": "n"}]]})";
    const LightNameLists previous = {{{"old mode", true}}, {"old area"}, {"old preset"}};
    const struct {
        const char* names;     // default_light.json; nullptr: none
        const char* userList;  // nullptr: none
        int kind;
        LightNameLists expected;
    } cases[] = {
        {kNames, kUserList, 1, {{{"Off", false}, {"", false}, {"", true}}, {"Logo"}, {"Mine", ""}}},
        {kNames, kUserList, 0, {{{"Wave", true}}, {}, {}}},
        {nullptr, kUserList, 1, {previous.modes, previous.areas, {"Mine", ""}}},
        {"{", nullptr, 1, previous},
        {kNames, kUserList, 2, previous},
        {R"({"DefaultLightName": [{"LightName": "x"}], "AreaLightName": [3]})", R"({"LightInfo": [{}]})", 0, previous},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.names ? c.names : "no names") + " kind " + std::to_string(c.kind));
        fs::remove(PathOf("defaults/default_light.json"));
        fs::remove(PathOf("user/zelva_light.config"));
        if (c.names != nullptr) WriteText("defaults/default_light.json", c.names);
        if (c.userList != nullptr) WriteText("user/zelva_light.config", c.userList);
        LightNameLists lists = previous;
        LoadLightNameLists(lists, c.kind, PathOf("user/"), PathOf("defaults/"));
        EXPECT_EQ(lists, c.expected);
    }
}

}  // namespace
}  // namespace velnor7
