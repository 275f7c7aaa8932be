// Constant data burnt into the emulated F0E1:5004 keyboard's firmware: the
// factory key map and the report descriptors of its two USB interfaces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velnor7 {

// Number of key-map slots of the keyboard; each slot holds one 3-byte KeyCode.
inline constexpr size_t kEmulatedKeySlots = 126;
inline constexpr size_t kKeyCodeSize = 3;

// The factory KeyCode (type, p1, p2) of every slot, slot s at bytes 3s..3s+2.
// Slot s carries the factory function of the key the host knows as KeyIndex s.
extern const std::array<uint8_t, kEmulatedKeySlots * kKeyCodeSize> kEmulatedFactoryKeyCodes;

// Interface 0: a boot-protocol keyboard, one top-level collection, no report IDs.
std::vector<uint8_t> EmulatedBootKeyboardDescriptor();

// Interface 1, four top-level collections in this order:
//   1. System Control (page 0x01, usage 0x80), report ID 1, 1-byte input;
//   2. N-key-rollover keyboard bitmap (page 0x01, usage 0x06), report ID 2;
//   3. Consumer Control (page 0x0C, usage 0x01), report ID 3, one 16-bit array
//      field whose usage is the notification code;
//   4. vendor commands (page 0xFF1C, usage 0x92), report ID 4, 63-byte input and
//      63-byte output.
std::vector<uint8_t> EmulatedCommandInterfaceDescriptor();

}  // namespace velnor7
