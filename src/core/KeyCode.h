// Key positions and the 3-byte key codes the keyboard firmware stores per slot.
#pragma once

#include <array>
#include <cstdint>

namespace velnor7 {

// The program's own number for a key position: row * 21 + column of a 6 x 21 matrix
// (row 0 is the function-key row). Indexes every per-key array.
using KeyIndex = uint8_t;

constexpr int kKeyCount = 126;             // KeyIndex values 0..125
constexpr KeyIndex kEmptyCell = 126;       // empty cell of the layout tables
constexpr KeyIndex kAbsentKey = 255;       // absent key in the slot/LED maps and the tall layout

enum KeyCodeType : uint8_t {
    kCodeNone = 0x00,
    kCodeMouseButton = 0x10,      // p1: boot-mouse button bit
    kCodeMouseSwing = 0x11,       // p1: delay << 4 | speed; p2: direction bit 7, count bits 0..6
    kCodeMouseWheel = 0x12,       // p1: delay << 4 | speed; p2: signed count
    kCodeDpi = 0x13,              // p1: DPI function 1..3
    kCodeFire = 0x14,             // p1: interval; p2: count
    kCodeKeyboardKey = 0x20,      // p1: modifier bits; p2: HID keyboard usage (0 = modifiers only)
    kCodeConsumer = 0x30,         // p1/p2: low/high byte of the HID consumer usage
    kCodeSystem = 0x40,           // p1: 0x01 power, 0x02 sleep, 0x04 wake-up
    kCodeMacro = 0x70,            // p1: macro number; p2: run mode 0..3
    kCodeMacroRepeated = 0x71,    // p1: macro number; p2: repeat count
    kCodeGunKey = 0x72,           // p1: gun-key number
    kCodeKeyboardFunction = 0xA0, // p1: 0x01 FN, 0x1B GM, 0x24 the key at KeyIndex 17
    kCodeComboKey = 0xB0,         // recognised when shown, never produced
    kCodeOnboardMacro = 0xD0,     // p1: 0xA2; p2: 1..5 (M1..M5)
};

struct KeyCode {
    uint8_t type = kCodeNone;
    uint8_t p1 = 0;
    uint8_t p2 = 0;

    bool operator==(const KeyCode&) const = default;
};

// What the assignment panel and the profile exchange. The first two bytes (the
// key list id) travel unchanged; `code` (bytes 2..4) is what goes into the
// keyboard's key map.
struct KeyAssignment {
    std::array<uint8_t, 2> passThrough{};
    KeyCode code;
    uint8_t p3 = 0;

    bool operator==(const KeyAssignment&) const = default;
};
static_assert(sizeof(KeyAssignment) == 6, "a key assignment is six bytes");

// The kind of an assignment; also the user data of the category combo items.
enum class FunctionCategory : int {
    Default = 0,
    MouseButton = 1,
    MouseSwing = 2,
    MouseWheel = 3,
    Dpi = 4,
    Fire = 5,
    KeyboardKey = 6,
    Media = 7,
    System = 8,
    Macro = 9,
    GunKey = 10,
    ComboKey = 11,
};

}  // namespace velnor7
