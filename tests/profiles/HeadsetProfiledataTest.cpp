#include "profiles/CVa6533Profiledata.h"

#include <gtest/gtest.h>

#include "common/JsonFile.h"
#include "ProfileTestSupport.h"

namespace velnor7 {
namespace {

using testing::ProfileFolderTest;
using testing::ShippedDefaultData;
using testing::TestDataDirectory;

class HeadsetProfiledataTest : public ProfileFolderTest {
protected:
    void LoadDevice(const std::string& deviceJson) {
        WriteText("p.Json", "{\"Device\": [" + deviceJson + "]}");
        headset_.Load(PathOf("p.Json"));
    }

    CVa6533Profiledata headset_;
};

TEST_F(HeadsetProfiledataTest, EqTypesMapToTheirSlotsAndTheCustomTypeHasNone) {
    EXPECT_EQ(EqSlot(0), 1u);
    EXPECT_EQ(EqSlot(12), 12u);
    EXPECT_EQ(EqSlot(13), std::nullopt);
    EXPECT_EQ(EqSlot(20), 1u);
    EXPECT_EQ(EqSlot(-4), 1u);

    LoadDevice("{}");
    EXPECT_TRUE(headset_.ReadEqValues(13).empty());
    headset_.WriteEqValues(13, std::vector<int32_t>(10, 5));
    EXPECT_FALSE(headset_.GetDocument().isMember("EQHzValueInfo"));

    headset_.WriteEqValues(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, -10});
    EXPECT_EQ(headset_.ReadEqValues(20), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, -10}));
}

TEST_F(HeadsetProfiledataTest, AMissingEqSlotReadsZerosAndIsCreated) {
    LoadDevice("{}");
    EXPECT_EQ(headset_.ReadEqValues(7), std::vector<int32_t>(10, 0));
    const Json::Value& slots = headset_.GetDocument()["EQHzValueInfo"];
    ASSERT_EQ(slots[7].size(), 10u);
    EXPECT_TRUE(slots[7][9].isMember("value"));

    EXPECT_EQ(headset_.ReadCustomEqValues(2), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset_.GetDocument()["CustomEQHzValueInfo"][2].size(), 10u);
    EXPECT_TRUE(headset_.ReadCustomEqValues(-1).empty());
    EXPECT_TRUE(headset_.ReadCustomEqValues(1 << 30).empty());
    EXPECT_EQ(headset_.GetDocument()["CustomEQHzValueInfo"].size(), 3u);
}

TEST_F(HeadsetProfiledataTest, HeadsetValuesAndCustomEqualisersSurviveSaveAndReload) {
    LoadDevice(R"({"CustomEQNameInfo": [{"Name": "old"}, {"Name": "older"}]})");
    headset_.SetPath(PathOf("p.Json"));
    const HeadsetAudioSettings settings{1, 3, 13, 1, 1, 80, 0, -5};
    headset_.WriteHeadsetSettings(settings);
    headset_.WriteCustomEqNames({"Bässe", "Voice"});
    headset_.WriteCustomEqValues(1, {-1, -2, -3, -4, -5, -6, -7, -8, -9, -12});
    ASSERT_EQ(headset_.Save(), 0);

    CVa6533Profiledata reloaded;
    reloaded.Load(PathOf("p.Json"));
    EXPECT_EQ(reloaded.ReadHeadsetSettings(), settings);
    EXPECT_EQ(reloaded.ReadCustomEqNames(), (std::vector<std::string>{"Bässe", "Voice"}));
    EXPECT_EQ(reloaded.ReadCustomEqValues(1), (std::vector<int32_t>{-1, -2, -3, -4, -5, -6, -7, -8, -9, -12}));
}

TEST_F(HeadsetProfiledataTest, WronglyTypedHeadsetKeysReadWithoutThrowing) {
    headset_.Load((TestDataDirectory() / "profiles" / "wrong_types.Json").string());
    EXPECT_EQ(headset_.ReadHeadsetSettings(), HeadsetAudioSettings{});
    EXPECT_EQ(headset_.ReadEqValues(2), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset_.ReadEqValues(1), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset_.ReadCustomEqNames(), (std::vector<std::string>{"", "", "Mine"}));
    EXPECT_EQ(headset_.ReadCustomEqValues(0), std::vector<int32_t>(10, 0));
}

TEST_F(HeadsetProfiledataTest, ShippedHeadsetDefaultsHoldEveryPresetAndSettings) {
    headset_.SetDefaultPath((ShippedDefaultData() / "HD.Json").string());
    const Json::Value shipped = headset_.Load(PathOf("fresh.Json"));
    for (int type = 1; type <= 12; ++type) {
        EXPECT_EQ(shipped["EQHzValueInfo"][type].size(), 10u) << type;
    }
    EXPECT_EQ(headset_.ReadEqValues(1), (std::vector<int32_t>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    const HeadsetAudioSettings settings = headset_.ReadHeadsetSettings();
    EXPECT_GE(settings.eqType, 1);
    EXPECT_LE(settings.eqType, 12);
    for (const char* key : {"LightInfo", "LightList", "SystemSetStages", "CustomEQNameInfo", "CustomEQHzValueInfo"}) {
        EXPECT_TRUE(shipped.isMember(key)) << key;
    }
}

}  // namespace
}  // namespace velnor7
