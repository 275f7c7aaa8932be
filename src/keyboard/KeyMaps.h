// The link between key positions and an attached keyboard's own slots and LEDs.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/KeyCode.h"

namespace velnor7 {

// KeyIndex -> device slot carrying the key; kAbsentKey when the keyboard has no such key.
using KeySlotMap = std::array<uint8_t, kKeyCount>;
// KeyIndex -> index of the key's LED in the keyboard's colour buffer; kAbsentKey for none.
using KeyLedMap = std::array<uint8_t, kKeyCount>;

struct KeyMaps {
    KeySlotMap slots;
    KeyLedMap leds;
};

// Identifies the keyboard's slots by their factory codes. rawKeyMap holds three
// bytes (a KeyCode) per slot, rawLedMap one LED index per slot, slotCount is the
// number of slots the keyboard reports. Slots beyond the key map buffer are not
// searched, an LED index beyond the LED map counts as none, and only KeyIndex
// values below slotCount receive an LED index. Keys sharing a factory code map
// to the first slot carrying it.
KeyMaps BuildKeyMaps(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount);

// The same, with the slots of `known` keys (kAbsentKey: not known) given: those keys keep them,
// and the factory codes of the other keys are looked for on the remaining slots only.
KeyMaps BuildKeyMapsAround(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount,
                           const KeySlotMap& known);

}  // namespace velnor7
