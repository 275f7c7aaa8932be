// Keys found again after remaps: remembered slots the LED map confirms, factory codes for the
// rest, and the memory file per keyboard model.
#include "keyboard/KeySlotMemory.h"

#include "common/JsonFile.h"
#include "keyboard/DefaultKeyTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace velnor7 {
namespace {

constexpr int kA = 64;
constexpr int kS = 65;
constexpr int kC = 87;

// A keyboard in its factory state whose slot i holds key i, with LED i.
struct RawMaps {
    std::vector<uint8_t> keys;
    std::vector<uint8_t> leds;
    RawMaps() {
        for (int key = 0; key < kKeyCount; ++key) {
            const KeyCode& code = DefaultKeyTable[static_cast<size_t>(key)];
            keys.insert(keys.end(), {code.type, code.p1, code.p2});
            leds.push_back(static_cast<uint8_t>(key));
        }
    }
    void Remap(int slot, const KeyCode& code) {
        keys[3 * slot] = code.type;
        keys[3 * slot + 1] = code.p1;
        keys[3 * slot + 2] = code.p2;
    }
};

KeyMaps Identify(const RawMaps& raw, const RememberedSlots& remembered) {
    return IdentifyKeySlots(raw.keys, raw.leds, kKeyCount, remembered);
}

TEST(KeySlotIdentificationTest, RemapsAreFoundThroughRememberedSlotsTheLedMapConfirms) {
    RawMaps raw;
    const KeyMaps factory = BuildKeyMaps(raw.keys, raw.leds, kKeyCount);
    EXPECT_EQ(Identify(raw, {}).slots, factory.slots);
    const RememberedSlots remembered = SlotsToRemember(factory, raw.leds);

    // A now carries C's factory code, and S carries something no key has.
    raw.Remap(kA, DefaultKeyTable[kC]);
    raw.Remap(kS, KeyCode{0x20, 0x00, 0x39});
    const KeyMaps byFactory = BuildKeyMaps(raw.keys, raw.leds, kKeyCount);
    EXPECT_EQ(byFactory.slots[kA], kAbsentKey);
    EXPECT_EQ(byFactory.slots[kC], kA) << "by factory codes alone C takes A's slot";

    // The remapped keyboard is seen as it was before the remaps.
    const KeyMaps found = Identify(raw, remembered);
    EXPECT_EQ(found.slots[kA], kA);
    EXPECT_EQ(found.slots[kS], kS);
    EXPECT_EQ(found.slots[kC], kC);
    EXPECT_EQ(found.slots, Identify(RawMaps(), remembered).slots);
    EXPECT_EQ(found.leds, Identify(RawMaps(), remembered).leds);

    // Only what was remembered of A: the others go by factory code, around A's slot.
    RememberedSlots onlyA;
    onlyA[kA] = remembered[kA];
    const KeyMaps partly = Identify(raw, onlyA);
    EXPECT_EQ(partly.slots[kA], kA);
    EXPECT_EQ(partly.slots[kC], kC);
    EXPECT_EQ(partly.slots[kS], kAbsentKey);
}

TEST(KeySlotIdentificationTest, ARememberedSlotTheKeyboardDoesNotConfirmIsNotUsed) {
    RawMaps raw;
    RememberedSlots remembered;
    remembered[kA] = RememberedSlot{static_cast<uint8_t>(kS), static_cast<uint8_t>(kS + 1)};  // another LED there now
    remembered[kC] = RememberedSlot{200, 200};                                                 // beyond the slots
    EXPECT_EQ(Identify(raw, remembered).slots, BuildKeyMaps(raw.keys, raw.leds, kKeyCount).slots);
    // Two keys remembered in one slot: the first keeps it, the second goes by its factory code.
    remembered = {};
    remembered[kA] = RememberedSlot{static_cast<uint8_t>(kA), static_cast<uint8_t>(kA)};
    remembered[kC] = RememberedSlot{static_cast<uint8_t>(kA), static_cast<uint8_t>(kA)};
    const KeyMaps maps = Identify(raw, remembered);
    EXPECT_EQ(maps.slots[kA], kA);
    EXPECT_EQ(maps.slots[kC], kC);
}

TEST(KeySlotMemoryTest, SlotsAreKeptPerModelAndKeyCountAndBrokenEntriesAreSkipped) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "velnor7_key_slot_memory";
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    RawMaps raw;
    const RememberedSlots slots = SlotsToRemember(BuildKeyMaps(raw.keys, raw.leds, kKeyCount), raw.leds);
    const KeySlotMemory memory(path, "K5/../x", kKeyCount);
    EXPECT_EQ(memory.File().parent_path(), path) << "the model name cannot lead out of the folder";
    std::string reason;
    ASSERT_TRUE(memory.Save(slots, reason)) << reason;
    EXPECT_EQ(memory.Load(), slots);
    EXPECT_FALSE(KeySlotMemory(path, "K5/../x", 104).Load()[kA]) << "another key count is another model";
    EXPECT_FALSE(KeySlotMemory(path, "other", kKeyCount).Load()[kA]);

    Json::Value document = LoadJsonFile(memory.File().string());
    document["Keys"][0]["Slot"] = 999;
    document["Keys"][1]["Key"] = "A";
    document["Keys"].append(Json::Value("junk"));
    ASSERT_EQ(wirtejsonFile(memory.File().string(), document), 0);
    const RememberedSlots loaded = memory.Load();
    EXPECT_FALSE(loaded[0]);
    EXPECT_FALSE(loaded[1]);
    EXPECT_EQ(loaded[2], slots[2]);
    std::filesystem::remove_all(path);
}

}  // namespace
}  // namespace velnor7
