#include "keyboard/KeyMaps.h"

#include <algorithm>
#include <bitset>
#include <cstddef>

#include "common/Trace.h"
#include "keyboard/DefaultKeyTable.h"

namespace velnor7 {

KeyMaps BuildKeyMaps(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount) {
    KeySlotMap none;
    none.fill(kAbsentKey);
    return BuildKeyMapsAround(rawKeyMap, rawLedMap, slotCount, none);
}

KeyMaps BuildKeyMapsAround(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount,
                           const KeySlotMap& known) {
    // Every entry starts absent, not only those below slotCount: a keyboard with
    // fewer slots must not inherit anything, and slotCount may exceed the key count.
    KeyMaps maps;
    maps.slots.fill(kAbsentKey);
    maps.leds.fill(kAbsentKey);

    // A slot number must fit a map entry without colliding with kAbsentKey.
    const size_t reported = static_cast<size_t>(std::clamp(slotCount, 0, static_cast<int>(kAbsentKey)));
    const size_t keySlots = std::min(reported, rawKeyMap.size() / 3);

    std::bitset<kAbsentKey> taken;
    for (size_t key = 0; key < kKeyCount; ++key) {
        if (known[key] < keySlots) {
            maps.slots[key] = known[key];
            taken.set(known[key]);
        }
    }

    Trace("324234234234234");
    for (size_t key = 0; key < kKeyCount; ++key) {
        if (maps.slots[key] != kAbsentKey) continue;
        const KeyCode& factory = DefaultKeyTable[key];
        for (size_t slot = 0; slot < keySlots; ++slot) {
            const KeyCode held{rawKeyMap[slot * 3], rawKeyMap[slot * 3 + 1], rawKeyMap[slot * 3 + 2]};
            if (!taken.test(slot) && held == factory) {
                maps.slots[key] = static_cast<uint8_t>(slot);
                break;
            }
        }
    }

    const size_t ledKeys = std::min(reported, static_cast<size_t>(kKeyCount));
    for (size_t key = 0; key < ledKeys; ++key) {
        const uint8_t slot = maps.slots[key];
        if (slot != kAbsentKey && slot < rawLedMap.size()) maps.leds[key] = rawLedMap[slot];
        Trace("%d的时候=%d", static_cast<int>(key), static_cast<int>(slot));
    }
    return maps;
}

}  // namespace velnor7
