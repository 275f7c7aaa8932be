#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/Trace.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyMaps.h"

namespace velnor7 {
namespace {

// A key map whose slot s holds the factory code of key keysBySlot[s].
std::vector<uint8_t> KeyMapOf(const std::vector<int>& keysBySlot) {
    std::vector<uint8_t> raw;
    for (const int key : keysBySlot) {
        const KeyCode& code = DefaultKeyTable[static_cast<size_t>(key)];
        raw.insert(raw.end(), {code.type, code.p1, code.p2});
    }
    return raw;
}

std::vector<int> FactoryOrder(int count) {
    std::vector<int> keys;
    for (int key = 0; key < count; ++key) keys.push_back(key);
    return keys;
}

// Distinct LED numbers so a test can tell which slot an LED came from.
std::vector<uint8_t> LedMap(size_t slots) {
    std::vector<uint8_t> leds;
    for (size_t slot = 0; slot < slots; ++slot) leds.push_back(static_cast<uint8_t>(200 - slot));
    return leds;
}

TEST(BuildKeyMaps, FactoryKeyboardMapsEveryKeyToItsOwnSlotAndSharedCodesToTheFirst) {
    const auto leds = LedMap(126);
    const KeyMaps maps = BuildKeyMaps(KeyMapOf(FactoryOrder(126)), leds, 126);
    for (int key = 0; key < kKeyCount; ++key) {
        const int slot = key == 104 ? 62 : key;
        EXPECT_EQ(maps.slots[key], slot) << key;
        EXPECT_EQ(maps.leds[key], leds[static_cast<size_t>(slot)]) << key;
    }
}

TEST(BuildKeyMaps, OnlyKeysBelowTheSlotCountGetAnLed) {
    // Ten slots carry keys 0..9, ten more keys 110..119.
    std::vector<int> keys = FactoryOrder(10);
    for (int key = 110; key < 120; ++key) keys.push_back(key);
    const KeyMaps maps = BuildKeyMaps(KeyMapOf(keys), LedMap(20), 20);
    for (int key = 0; key < 10; ++key) {
        EXPECT_EQ(maps.slots[key], key);
        EXPECT_EQ(maps.leds[key], 200 - key);
    }
    for (int key = 110; key < 120; ++key) {
        EXPECT_EQ(maps.slots[key], key - 100);
        EXPECT_EQ(maps.leds[key], kAbsentKey);
    }
    EXPECT_EQ(maps.slots[50], kAbsentKey);
    EXPECT_EQ(maps.leds[50], kAbsentKey);
}

TEST(BuildKeyMaps, RemappedSlotStaysUnmappedUntilItHoldsTheFactoryCodeAgain) {
    std::vector<uint8_t> raw = KeyMapOf(FactoryOrder(126));
    raw[8 * 3] = 0x10;  // slot 8 (F8) now holds the left mouse button
    raw[8 * 3 + 1] = 0x01;
    raw[8 * 3 + 2] = 0x00;
    const KeyMaps remapped = BuildKeyMaps(raw, LedMap(126), 126);
    EXPECT_EQ(remapped.slots[8], kAbsentKey);
    EXPECT_EQ(remapped.leds[8], kAbsentKey);
    EXPECT_EQ(remapped.slots[9], 9);

    const KeyMaps restored = BuildKeyMaps(KeyMapOf(FactoryOrder(126)), LedMap(126), 126);
    EXPECT_EQ(restored.slots[8], 8);
}

TEST(BuildKeyMaps, ReportedSlotCountBeyondTheBuffersOrTheKeyCountIsSafe) {
    // More slots than keys: the extra slots hold nothing assigned.
    std::vector<uint8_t> raw = KeyMapOf(FactoryOrder(126));
    raw.resize(170 * 3, 0);
    const KeyMaps many = BuildKeyMaps(raw, LedMap(170), 170);
    EXPECT_EQ(many.slots[125], 125);
    EXPECT_EQ(many.leds[125], 200 - 125);

    // A slot count larger than what was read: only the slots held are searched,
    // and an LED beyond the LED map is no LED.
    const KeyMaps shortBuffers = BuildKeyMaps(KeyMapOf(FactoryOrder(60)), LedMap(30), 126);
    EXPECT_EQ(shortBuffers.slots[59], 59);
    EXPECT_EQ(shortBuffers.leds[29], 200 - 29);
    EXPECT_EQ(shortBuffers.leds[30], kAbsentKey);
    EXPECT_EQ(shortBuffers.slots[60], kAbsentKey);

    const KeyMaps none = BuildKeyMaps({}, {}, -5);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(none.slots[key], kAbsentKey);
}

TEST(BuildKeyMaps, TracesTheMarkerThenOneLinePerIndexBelowTheSlotCount) {
    TraceCapture capture;
    BuildKeyMaps(KeyMapOf(FactoryOrder(126)), LedMap(126), 126);
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 127u);
    EXPECT_EQ(lines[0], "324234234234234");
    EXPECT_EQ(lines[1], "0的时候=0");
    EXPECT_EQ(lines[105], "104的时候=62");

    capture.Clear();
    BuildKeyMaps(KeyMapOf({5}), LedMap(1), 1);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"324234234234234", "0的时候=255"}));
}

}  // namespace
}  // namespace velnor7
