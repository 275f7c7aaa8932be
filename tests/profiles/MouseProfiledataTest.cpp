#include "profiles/CMouseProfiledata.h"

#include <gtest/gtest.h>

#include "common/JsonFile.h"
#include "ProfileTestSupport.h"

namespace velnor7 {
namespace {

using testing::ProfileFolderTest;
using testing::ShippedDefaultData;
using testing::TestDataDirectory;

class MouseProfiledataTest : public ProfileFolderTest {
protected:
    void LoadDevice(const std::string& deviceJson) {
        WriteText("p.Json", "{\"Device\": [" + deviceJson + "]}");
        mouse_.Load(PathOf("p.Json"));
    }
    static std::string StagesJson(int active, const std::vector<int>& dpis) {
        std::string text = "{\"DPIStages\": {\"StageActive\": " + std::to_string(active) + ", \"StageDPIs\": [";
        for (size_t i = 0; i < dpis.size(); ++i) {
            text += (i ? ", " : "") + std::string("{\"StageActive\": 1, \"StageDPIX\": ") + std::to_string(dpis[i]) +
                    ", \"StageDPIY\": " + std::to_string(dpis[i] + 1) + ", \"StageColorR\": 300}";
        }
        return text + "]}}";
    }

    CMouseProfiledata mouse_;
};

TEST_F(MouseProfiledataTest, DpiStagesMergeIntoTheCacheWhichNeverShrinks) {
    LoadDevice(StagesJson(2, {16, 32, 48}));
    auto stages = mouse_.ReadDpiStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[1].dpiX, 32);
    EXPECT_EQ(stages[1].dpiY, 33);
    EXPECT_EQ(stages[1].red, 44);
    EXPECT_EQ(mouse_.GetActiveDpiStage(), 2);

    LoadDevice(StagesJson(0, {100}));
    stages = mouse_.ReadDpiStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[0].dpiX, 100);
    EXPECT_EQ(stages[2].dpiX, 48);
    EXPECT_EQ(mouse_.GetActiveDpiStage(), 0);

    LoadDevice(StagesJson(4, {1, 2, 3, 4, 5}));
    stages = mouse_.ReadDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[2].dpiX, 3);
    EXPECT_EQ(stages[4].dpiX, 5);

    LoadDevice("{}");
    EXPECT_EQ(mouse_.ReadDpiStages().size(), 5u);
    EXPECT_EQ(mouse_.GetActiveDpiStage(), 4);
}

TEST_F(MouseProfiledataTest, WritingFewerStagesKeepsTheLaterDocumentEntries) {
    LoadDevice(StagesJson(0, {16, 32, 48}));
    DpiStage stage;
    stage.active = 1;
    stage.dpiX = 64000;
    stage.dpiY = 2;
    stage.blue = 9;
    mouse_.WriteDpiStages({stage});
    mouse_.WriteActiveDpiStage(1);
    EXPECT_EQ(mouse_.GetActiveDpiStage(), 1);

    CMouseProfiledata fresh;
    mouse_.SetPath(PathOf("p.Json"));
    ASSERT_EQ(mouse_.Save(), 0);
    fresh.Load(PathOf("p.Json"));
    const auto stages = fresh.ReadDpiStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[0], stage);
    EXPECT_EQ(stages[2].dpiX, 48);
    EXPECT_EQ(fresh.GetActiveDpiStage(), 1);
}

TEST_F(MouseProfiledataTest, MouseSystemValuesUseTwoObjectsAndMissingOnesReadAsZero) {
    LoadDevice(R"({"SystemStages": {"DoubleClickTime": 5, "WheelScorlllinse": 3}})");
    MouseSystemValues values = mouse_.ReadMouseSystem();
    EXPECT_EQ(values.doubleClickTime, 5);
    EXPECT_EQ(values.wheelScrollLines, 3);
    EXPECT_EQ(values.reportRate, 0);

    values.reportRate = 2;
    values.scrollPage = 1;
    mouse_.WriteMouseSystem(values);
    const Json::Value& document = mouse_.GetDocument();
    EXPECT_EQ(document["ReportStages"]["StageActive"].asInt(), 2);
    EXPECT_EQ(document["SystemStages"]["ScorllPage"].asInt(), 1);
    EXPECT_FALSE(document["SystemStages"].isMember("StageActive"));
    EXPECT_EQ(mouse_.ReadMouseSystem(), values);
}

TEST_F(MouseProfiledataTest, WronglyTypedMouseKeysReadWithoutThrowing) {
    mouse_.Load((TestDataDirectory() / "profiles" / "wrong_types.Json").string());
    const auto stages = mouse_.ReadDpiStages();
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[1].dpiX, 0);
    EXPECT_EQ(mouse_.ReadMouseSystem(), MouseSystemValues{});
    const auto corrections = mouse_.ReadCorrectInfo();
    ASSERT_EQ(corrections.size(), 1u);
    EXPECT_EQ(corrections[0].name, "");
    EXPECT_EQ(corrections[0].pixThresh, 253);
}

TEST_F(MouseProfiledataTest, ShippedMouseDefaultsGiveButtonsStagesAndSystemValues) {
    mouse_.SetDefaultPath((ShippedDefaultData() / "mouse.Json").string());
    mouse_.Load(PathOf("fresh.Json"));
    const auto buttons = mouse_.ReadKeyList();
    ASSERT_EQ(buttons.size(), 10u);
    EXPECT_EQ(buttons[0].defaults.code, (KeyCode{0x10, 0x01, 0x00}));
    EXPECT_EQ(buttons[9].defaults.code, (KeyCode{0x16, 0x90, 0x01}));
    const auto stages = mouse_.ReadDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_LT(mouse_.GetActiveDpiStage(), 5);
    for (const auto& stage : stages) EXPECT_NE(stage.dpiX, 0);
    EXPECT_NE(mouse_.ReadMouseSystem().mouseSpeed, 0);
    for (const char* key : {"LightInfo", "LightList", "KeyList", "DPIStages", "SystemStages", "ReportStages", "CorrectInfo"}) {
        EXPECT_TRUE(mouse_.GetDocument().isMember(key)) << key;
    }
}

}  // namespace
}  // namespace velnor7
