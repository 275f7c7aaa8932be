// The key assignments that play macros, kept in step with the macro list: the list order is
// the macro number, so deleting a macro moves every later one down by one.
#pragma once

#include "profiles/ProfileRecords.h"

#include <vector>

namespace velnor7 {

// Assignment types that play the macro numbered p1.
inline constexpr uint8_t kMacroAssignment = 0x70;
inline constexpr uint8_t kMacroAssignmentRepeated = 0x71;

bool PlaysMacro(const KeyAssignment& assignment);
// The positions of the entries whose current assignment plays macro `macro`.
std::vector<size_t> KeysPlayingMacro(const std::vector<KeyListEntry>& keys, int macro);
// Macro `deleted` is gone: its keys take their default assignment again, and keys of later
// macros follow their macro down. True when an entry changed.
bool ForgetDeletedMacro(std::vector<KeyListEntry>& keys, int deleted);

}  // namespace velnor7
