// The light presets that ship in DefaultData: the light list every kind falls back
// to and the preset files it names.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/JsonFile.h"
#include "profiles/LightNameLists.h"
#include "profiles/LightPresets.h"
#include "ProfileTestSupport.h"

namespace velnor7 {
namespace {

using testing::ShippedDefaultData;

constexpr int kKindCount = 4;  // keyboard, mouse, mouse pad, headset
// The step effects that show something: breathing, static, blink, wave, spectrum.
const std::set<int> kStepModes = {0, 1, 2, 4, 5};
constexpr int kMaxBrightness = 5;
constexpr int kMaxSpeed = 4;

std::string DefaultData() { return ShippedDefaultData().string() + "/"; }

TEST(ShippedLightPresetsTest, EveryKindHasNamedPresetsAndEveryGuidHasAPlayableFile) {
    const Json::Value list = LoadJsonFile(DefaultData() + kLightListFileName);
    ASSERT_TRUE(list["LightInfo"].isArray());
    ASSERT_EQ(list["LightInfo"].size(), static_cast<Json::ArrayIndex>(kKindCount));

    for (int kind = 0; kind < kKindCount; ++kind) {
        const Json::Value& presets = list["LightInfo"][kind];
        ASSERT_TRUE(presets.isArray() && !presets.empty()) << "kind " << kind;
        LightNameLists names;
        LoadLightNameLists(names, kind, "", DefaultData());
        ASSERT_EQ(names.presets.size(), presets.size()) << "kind " << kind;

        for (Json::ArrayIndex i = 0; i < presets.size(); ++i) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " preset " + std::to_string(i));
            EXPECT_FALSE(names.presets[i].empty());
            const std::string guid = presets[i]["Guid"].asString();
            const Json::Value file = LoadJsonFile(DefaultData() + guid + kLightPresetExtension);
            // The loader reads a mistyped value as 0; the shipped files must not rely on that.
            for (const Json::Value& step : file["LEDEffectList"])
                for (const std::string& key : step.getMemberNames())
                    EXPECT_TRUE(step[key].isInt()) << guid << " " << key;

            const std::vector<EffectStep> steps = LoadPresetSteps(guid, "", DefaultData());
            ASSERT_FALSE(steps.empty()) << guid;
            EXPECT_EQ(steps.size(), file["LEDEffectList"].size()) << guid;
            for (const EffectStep& step : steps) {
                EXPECT_TRUE(kStepModes.count(step.mode)) << guid << " mode " << int{step.mode};
                EXPECT_GE(step.brightness, 1) << guid;  // a step at brightness 0 shows nothing
                EXPECT_LE(step.brightness, kMaxBrightness) << guid;
                EXPECT_LE(step.speed, kMaxSpeed) << guid;
                EXPECT_LE(step.direction, 1) << guid;
                EXPECT_LE(step.multiColor, 1) << guid;
                EXPECT_GT(step.time, 0u) << guid;
            }
        }
    }
}

}  // namespace
}  // namespace velnor7
