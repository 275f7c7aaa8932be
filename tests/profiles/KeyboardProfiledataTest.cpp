#include "profiles/CKeyboardProfiledata.h"

#include <gtest/gtest.h>

#include "common/JsonFile.h"
#include "keyboard/DefaultKeyTable.h"
#include "ProfileTestSupport.h"

namespace velnor7 {
namespace {

using testing::ProfileFolderTest;
using testing::ShippedDefaultData;
using testing::TestDataDirectory;

constexpr CustomColour kBlack{};
constexpr CustomColour kYellow{255, 255, 0, 255};
constexpr CustomColour kRed{255, 0, 0, 255};
constexpr CustomColour kGreen{0, 255, 0, 255};

class KeyboardProfiledataTest : public ProfileFolderTest {
protected:
    void LoadDevice(const std::string& deviceJson) {
        WriteText("p.Json", "{\"Device\": [" + deviceJson + "]}");
        keyboard_.Load(PathOf("p.Json"));
    }
    CustomColour StoredColour(int group, int element) const {
        const Json::Value& stored = keyboard_.GetDocument()["CustomLightMode"]["LightColorInfo"][group][element];
        return CustomColour{static_cast<uint8_t>(stored["Red"].asInt()), static_cast<uint8_t>(stored["Green"].asInt()),
                            static_cast<uint8_t>(stored["Blue"].asInt()), static_cast<uint8_t>(stored["Alpha"].asInt())};
    }

    CKeyboardProfiledata keyboard_;
};

TEST_F(KeyboardProfiledataTest, ANewColourGroupReadsBlackButStoresTheDefaultKeyColoursForTheNextRead) {
    LoadDevice(R"({"CustomLightMode": {"LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}]]}})");
    const auto first = keyboard_.ReadCustomColours(2, 126);
    EXPECT_EQ(first, std::vector<CustomColour>(126, kBlack));
    EXPECT_EQ(keyboard_.GetCustomColours(), first);
    EXPECT_EQ(keyboard_.GetDocument()["CustomLightMode"]["LightColorInfo"][2].size(), 126u);
    EXPECT_EQ(StoredColour(0, 0), (CustomColour{1, 2, 3, 4}));  // other groups untouched

    const auto second = keyboard_.ReadCustomColours(2, 126);
    for (int key = 0; key < 126; ++key) {
        CustomColour expected = kBlack;
        if (key >= 22 && key <= 26) expected = kYellow;
        if (key == 44 || key == 64 || key == 65 || key == 66) expected = kRed;
        if (key == 46) expected = kGreen;
        EXPECT_EQ(second[key], expected) << "key " << key;
    }
}

TEST_F(KeyboardProfiledataTest, ANullElementReadsBlackAndResetsTheDefaultKeysOfItsGroup) {
    Json::Value group(Json::arrayValue);
    for (int i = 0; i < 70; ++i) {
        group[i]["Red"] = 9;
        group[i]["Green"] = 8;
        group[i]["Blue"] = 7;
        group[i]["Alpha"] = 255;
    }
    group[30] = Json::nullValue;
    Json::Value device;
    device["CustomLightMode"]["LightColorInfo"][0] = group;
    LoadDevice(device.toStyledString());

    const auto colours = keyboard_.ReadCustomColours(0, 70);
    ASSERT_EQ(colours.size(), 70u);
    const CustomColour old{9, 8, 7, 255};
    EXPECT_EQ(colours[22], old);  // read before the null element
    EXPECT_EQ(colours[30], kBlack);
    EXPECT_EQ(colours[44], kRed);  // reset by the null element before it was read
    EXPECT_EQ(colours[69], old);
    EXPECT_EQ(StoredColour(0, 22), kYellow);
    EXPECT_EQ(StoredColour(0, 30), kBlack);
    EXPECT_EQ(StoredColour(0, 46), kGreen);
}

TEST_F(KeyboardProfiledataTest, ColourGroupIndexesOutOfRangeNeitherReadNorGrowTheDocument) {
    LoadDevice("{}");
    EXPECT_TRUE(keyboard_.ReadCustomColours(-1, 126).empty());
    EXPECT_TRUE(keyboard_.ReadCustomColours(1 << 30, 126).empty());
    keyboard_.WriteCustomColours({kRed}, 1 << 30);
    EXPECT_FALSE(keyboard_.GetDocument().isMember("CustomLightMode"));
}

TEST_F(KeyboardProfiledataTest, KeyboardValuesSurviveSaveAndReloadUnderTheirOwnKeys) {
    LoadDevice("{}");
    keyboard_.SetPath(PathOf("p.Json"));
    const KeyboardSystemValues system{31, 2, 1, 3, 1, 1};
    keyboard_.WriteSystemStages(system);
    keyboard_.WriteCustomColours({kRed, kGreen, kYellow}, 1);
    keyboard_.WriteCustomGroupIndex(1);
    ASSERT_EQ(keyboard_.Save(), 0);

    CKeyboardProfiledata reloaded;
    reloaded.Load(PathOf("p.Json"));
    EXPECT_EQ(reloaded.ReadSystemStages(), system);
    EXPECT_EQ(reloaded.ReadCustomGroupIndex(), 1);
    EXPECT_EQ(reloaded.ReadCustomColours(1, 3), (std::vector<CustomColour>{kRed, kGreen, kYellow}));
    const Json::Value& stages = reloaded.GetDocument()["SystemStages"];
    EXPECT_EQ(stages["PollingRate"].asInt(), 3);
    EXPECT_EQ(stages["WinFlag"].asInt(), 1);
}

TEST_F(KeyboardProfiledataTest, WronglyTypedKeyboardKeysReadAsZerosAndGetReplacedOnWrite) {
    keyboard_.Load((TestDataDirectory() / "profiles" / "wrong_types.Json").string());
    EXPECT_EQ(keyboard_.ReadSystemStages(), KeyboardSystemValues{});
    EXPECT_EQ(keyboard_.ReadCustomGroupIndex(), 0);
    EXPECT_EQ(keyboard_.ReadCustomColours(0, 3), std::vector<CustomColour>(3, kBlack));
    EXPECT_EQ(StoredColour(0, 44), kRed);
}

TEST_F(KeyboardProfiledataTest, ShippedKeyboardDefaultsCarryTheFactoryCodeOfEveryKey) {
    keyboard_.SetDefaultPath((ShippedDefaultData() / "keyboard.Json").string());
    keyboard_.Load(PathOf("fresh.Json"));
    const auto keys = keyboard_.ReadKeyList();
    ASSERT_EQ(keys.size(), DefaultKeyTable.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].defaults.code, DefaultKeyTable[i]) << "KeyIndex " << i;
        EXPECT_EQ(keys[i].current.code, DefaultKeyTable[i]) << "KeyIndex " << i;
    }
    const Json::Value& document = keyboard_.GetDocument();
    for (const char* key : {"LightInfo", "LightList", "KeyList", "SystemStages", "CustomLightMode"}) {
        EXPECT_TRUE(document.isMember(key)) << key;
    }
    EXPECT_NE(keyboard_.ReadLightInfo().light, 0);
    EXPECT_EQ(keyboard_.ReadCustomColours(keyboard_.ReadCustomGroupIndex(), 126)[44], kRed);
}

}  // namespace
}  // namespace velnor7
