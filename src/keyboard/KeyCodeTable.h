// The table that translates between captured key events, key codes and the
// language ids of key names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/KeyCode.h"

namespace velnor7 {

struct KeyCodeRow {
    uint16_t virtualKey;  // Windows virtual-key code; above 0xFF or 0xFF: none of its own
    uint8_t scanCode;     // set-1 scan code; rows from kScanCodeRowCount on have none (0)
    bool extended;        // E0-prefixed scan code
    KeyCode code;
    std::string_view nameId;  // language id of the key's name
};

constexpr size_t kKeyCodeRowCount = 141;
constexpr size_t kScanCodeRowCount = 113;  // rows 0..112 carry a scan code
constexpr size_t kModifierRowCount = 8;    // rows 0..7: the modifiers, left before right

// Row order is part of the interface: rows, not virtual-key codes, identify keys.
extern const std::array<KeyCodeRow, kKeyCodeRowCount> KeyCodeTable;

// The first row 0..112 with this scan code and extended flag; none for keys
// outside the table (media keys, for example).
std::optional<size_t> RowForCapturedKey(uint8_t scanCode, bool extended);

// The first plain-key row (type 0x20, no modifier bits) carrying this HID usage.
std::optional<size_t> RowForKeyUsage(uint8_t usage);

}  // namespace velnor7
