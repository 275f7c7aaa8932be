// The factory key code of every key position.
#pragma once

#include <array>
#include <string_view>

#include "core/KeyCode.h"

namespace velnor7 {

// Indexed by KeyIndex. Slots of an attached keyboard are identified by these codes.
// Three positions carry codes that are not in the key code table: 17 (A0 24 00)
// and the two unused positions 62 and 104 (20 00 00).
extern const std::array<KeyCode, kKeyCount> DefaultKeyTable;

// Language id of the key's name: the first key code table row carrying the key's
// factory code; empty when there is none (KeyIndex 17, 62, 104) or the index is
// out of range.
std::string_view KeyName(int keyIndex);

}  // namespace velnor7
