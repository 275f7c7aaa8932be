// The fixed choices of the combo-driven assignment categories. A combo item's
// index is the row number.
#pragma once

#include <array>
#include <span>

#include "core/KeyCode.h"

namespace velnor7 {

extern const std::array<KeyCode, 5> MouseButtonTable;   // left, middle, right, 5th, 4th
extern const std::array<KeyCode, 3> DpiFunctionTable;
extern const std::array<KeyCode, 3> SystemKeyTable;     // power, sleep, wake-up
extern const std::array<KeyCode, 18> MediaKeyTable;
extern const std::array<KeyCode, 11> ComboKeyTable;     // Ctrl+O, N, Z, S, C, X, V, F, A, -, =

// The table whose row the category's combo selects; empty for categories
// without one.
std::span<const KeyCode> CategoryTable(FunctionCategory category);

}  // namespace velnor7
