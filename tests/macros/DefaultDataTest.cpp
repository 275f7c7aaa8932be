// The data files that ship in DefaultData: the light mode and area names of every
// device kind, and the default recoil patterns of the four guns.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/JsonFile.h"
#include "macros/MacroEvent.h"

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

const fs::path kDefaultData = fs::path(__FILE__).parent_path().parent_path().parent_path() / "DefaultData";

// LED counts of the device pages, by device kind index (keyboard, mouse, pad, headset).
constexpr int kLedCount[4] = {126, 6, 15, 13};
constexpr int kShotsPerGun = 30;

TEST(DefaultDataTest, LightNamesOfferEveryModeWithAGeneratorAndHidePresetOnlyModes) {
    const Json::Value document = LoadJsonFile((kDefaultData / "default_light.json").string());
    ASSERT_TRUE(document.isObject());
    const Json::Value& modes = document["DefaultLightName"];
    const Json::Value& areas = document["AreaLightName"];
    ASSERT_TRUE(modes.isArray() && areas.isArray());
    ASSERT_EQ(modes.size(), 4u);
    ASSERT_EQ(areas.size(), 4u);

    for (Json::ArrayIndex kind = 0; kind < 4; ++kind) {
        ASSERT_TRUE(modes[kind].isArray()) << kind;
        for (const Json::Value& entry : modes[kind]) {
            ASSERT_TRUE(entry.isObject()) << kind;
            EXPECT_TRUE(entry["LightName"].isString() && !entry["LightName"].asString().empty()) << kind;
            EXPECT_TRUE(entry["visible"].isBool()) << kind;
        }
        ASSERT_TRUE(areas[kind].isArray()) << kind;
        EXPECT_LE(areas[kind].size(), static_cast<Json::ArrayIndex>(kLedCount[kind])) << kind;
        for (const Json::Value& entry : areas[kind]) EXPECT_TRUE(entry["LightName"].isString()) << kind;
    }

    // Keyboard: modes without a generator of their own (0, 22, 25 and above) only play a preset.
    const Json::Value& keyboard = modes[0];
    ASSERT_GE(keyboard.size(), 25u);
    for (Json::ArrayIndex mode = 0; mode < keyboard.size(); ++mode) {
        const bool presetOnly = mode == 0 || mode == 22 || mode >= 25;
        EXPECT_EQ(keyboard[mode]["visible"].asBool(), !presetOnly) << mode;
    }
    // Mouse: modes 0..8 are its own; the pad and headset play a preset in mode 5.
    ASSERT_EQ(modes[1].size(), 9u);
    for (Json::ArrayIndex kind = 2; kind < 4; ++kind) {
        ASSERT_EQ(modes[kind].size(), 9u) << kind;
        for (Json::ArrayIndex mode = 0; mode < 9; ++mode)
            EXPECT_EQ(modes[kind][mode]["visible"].asBool(), mode != 5) << kind << " " << mode;
    }
}

TEST(DefaultDataTest, EachGunFileHoldsThirtyShotsOfClickReleaseAndTwoMoves) {
    for (int gun = 0; gun < 4; ++gun) {
        const fs::path file = kDefaultData / ("ShootData_" + std::to_string(gun) + ".Shoot");
        const Json::Value document = LoadJsonFile(file.string());
        ASSERT_TRUE(document.isObject()) << file;
        const Json::Value& events = document["Events"];
        ASSERT_TRUE(events.isArray()) << file;
        ASSERT_EQ(events.size(), static_cast<Json::ArrayIndex>(4 * kShotsPerGun)) << file;
        for (const Json::Value& event : events)
            for (const char* key : {"Type", "Button", "Delay"}) ASSERT_TRUE(event[key].isInt()) << file << " " << key;

        const std::vector<MacroEvent> shots = MacroEventsFromDocument(document);
        ASSERT_EQ(shots.size(), events.size()) << file;
        for (size_t shot = 0; shot < kShotsPerGun; ++shot) {
            const MacroEvent* e = &shots[4 * shot];
            EXPECT_EQ(e[0], (MacroEvent{kMacroMouseButton, "down", 1, 10})) << file << " shot " << shot;
            EXPECT_EQ(e[1], (MacroEvent{kMacroMouseButton, "up", 1, 0})) << file << " shot " << shot;
            EXPECT_EQ(e[2].type, kMacroHorizontalMove) << file << " shot " << shot;
            EXPECT_EQ(e[2].delayMs, 5) << file << " shot " << shot;
            EXPECT_EQ(e[3].type, kMacroVerticalMove) << file << " shot " << shot;
            for (const MacroEvent& move : {e[2], e[3]}) {
                EXPECT_TRUE(move.action == kMacroActionDown || move.action == kMacroActionUp) << file << " shot " << shot;
                EXPECT_TRUE(move.button >= 0 && move.button <= 255) << file << " shot " << shot;
            }
            EXPECT_GT(e[3].delayMs, 0) << file << " shot " << shot;
        }
    }
}

}  // namespace
}  // namespace velnor7
