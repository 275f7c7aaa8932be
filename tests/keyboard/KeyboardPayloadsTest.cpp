#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyboardPayloads.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

std::vector<MacroEvent> Events(size_t count) {
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < count; ++i)
        events.push_back({kMacroKey, i % 2 == 0 ? "down" : "up", 4, static_cast<uint16_t>(10 * i + 300)});
    return events;
}

TEST(LightRecord, ModeIsClampedSpeedReversedAndSystemFlagsPlaced) {
    LightInfoRecord light;
    light.selectItem = 30;
    light.light = 5;
    light.speed = 4;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 200;
    light.green = 100;
    light.blue = 50;
    light.ledStaus = 1;
    light.zzccSelectItem = 7;
    light.customGroup = 2;
    KeyboardSystemValues system;
    system.wFlag = 1;
    system.key6Flag = 1;
    system.winFlag = 1;
    system.pollingRate = 3;
    system.repeat = 31;
    const LightRecord record = BuildLightRecord(light, system);
    const LightRecord expected = {0, 0, 5, 0, 1, 1, 200, 100, 50, 0, 0, 0, 0, 0, 0, 1, 0, 0, 7, 1, 1, 1, 3, 0, 0, 2};
    EXPECT_EQ(record, expected) << "mode 30 goes out as 0, speed 4 as 0, repeat stays on the computer";
    light.selectItem = 24;
    light.speed = 0;
    EXPECT_EQ(BuildLightRecord(light, system)[1], 24);
    EXPECT_EQ(BuildLightRecord(light, system)[3], 4);

    const LightRecordReadBack back = ParseLightRecord(record);
    EXPECT_EQ(back.speed, 4);
    EXPECT_EQ(back.red, 200);
    EXPECT_EQ(back.customGroup, 2);
    EXPECT_EQ(back.winFlag, 1);
    LightRecord wild{};
    wild[3] = 9;
    EXPECT_EQ(ParseLightRecord(wild).speed, 0) << "a speed byte past the range reads as the fastest, not as a wrap";
}

TEST(MacroBlob, HeaderOffsetsAndBlocksFollowTheMacroOrder) {
    const MacroBlobResult result = BuildMacroBlob({Events(10), Events(0), Events(5)}, 2048);
    ASSERT_EQ(result.overflow, 0);
    const std::vector<uint8_t>& blob = result.blob;
    ASSERT_EQ(blob.size(), 94u);
    EXPECT_EQ(blob[0], 0xAA);
    EXPECT_EQ(blob[1], 0x55);
    EXPECT_EQ(blob[2], 94);
    EXPECT_EQ(blob[4], 3);
    EXPECT_EQ(blob[16], 22);
    EXPECT_EQ(blob[18], 66);
    EXPECT_EQ(blob[20], 70);
    EXPECT_EQ(blob[22], 10) << "each block starts with its event count";
    EXPECT_EQ(blob[66], 0);
    EXPECT_EQ(blob[70], 5);
    // First event of the first macro: delay 300 = 0x012C, key with bit 7 for "down", usage 4.
    EXPECT_EQ(std::vector<uint8_t>(blob.begin() + 26, blob.begin() + 30), (std::vector<uint8_t>{0x2C, 0x01, 0x8A, 4}));
    EXPECT_EQ(blob[26 + 4 + 2], 0x0A) << "a release carries no press bit";
}

TEST(MacroBlob, OverflowSendsNothingAndCountsTheEventsThatDoNotFit) {
    const MacroBlobResult result = BuildMacroBlob({Events(32)}, 128);  // 16 + 6 + 128 = 150 bytes
    EXPECT_TRUE(result.blob.empty());
    EXPECT_EQ(result.overflow, 6);
    EXPECT_EQ(BuildMacroBlob({Events(26)}, 128).overflow, 0) << "126 bytes fit";
}

TEST(KeyMapBuffer, OnlyMappedKeysAreOverwritten) {
    std::vector<uint8_t> reported(126 * 3);
    for (size_t key = 0; key < 126; ++key) {
        reported[key * 3] = DefaultKeyTable[key].type;
        reported[key * 3 + 1] = DefaultKeyTable[key].p1;
        reported[key * 3 + 2] = DefaultKeyTable[key].p2;
    }
    const KeyMaps maps = BuildKeyMaps(reported, std::vector<uint8_t>(126, 0), 126);
    std::vector<KeyListEntry> keys(126);
    for (size_t key = 0; key < 126; ++key) keys[key].current.code = DefaultKeyTable[key];
    keys[1].current.code = {0x20, 0x01, 0x06};  // F1 becomes Ctrl+C
    std::vector<uint8_t> unmapped = reported;
    unmapped[5 * 3] = 0x70;  // the keyboard's own remap of slot 5 is kept
    KeyMaps partial = maps;
    partial.slots[5] = kAbsentKey;
    const std::vector<uint8_t> buffer = BuildKeyMapBuffer(unmapped, partial.slots, keys);
    ASSERT_EQ(buffer.size(), reported.size());
    EXPECT_EQ(buffer[3], 0x20);
    EXPECT_EQ(buffer[4], 0x01);
    EXPECT_EQ(buffer[5], 0x06);
    EXPECT_EQ(buffer[15], 0x70);
    EXPECT_EQ(buffer[62 * 3 + 2], 0x00);
}

TEST(LedBuffer, AlphaScalesCustomColoursButNotPaintedOnes) {
    KeyLedMap leds;
    leds.fill(kAbsentKey);
    leds[0] = 4;
    leds[1] = 170;  // its bytes would not fit the buffer
    std::vector<KeyColour> colours(126);
    colours[0] = {200, 100, 50, 128};
    colours[1] = {1, 2, 3, 255};
    const std::vector<uint8_t> scaled = BuildLedBuffer(colours, leds, true);
    ASSERT_EQ(scaled.size(), 378u);
    EXPECT_EQ(std::vector<uint8_t>(scaled.begin() + 12, scaled.begin() + 15), (std::vector<uint8_t>{100, 50, 25}));
    const std::vector<uint8_t> painted = BuildLedBuffer(colours, leds, false);
    EXPECT_EQ(std::vector<uint8_t>(painted.begin() + 12, painted.begin() + 15), (std::vector<uint8_t>{200, 100, 50}));
    EXPECT_EQ(std::count(scaled.begin(), scaled.end(), 0), 375);
}

}  // namespace
}  // namespace velnor7
