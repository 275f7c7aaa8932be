// The physical layout of the keyboard, as used by the layout-driven preview effects.
#pragma once

#include <array>

#include "core/KeyCode.h"

namespace velnor7 {

constexpr int kKeyGridColumns = 23;
constexpr int kKeyGridRows = 6;
constexpr int kKeyGridTallRows = 7;

// Stored column by column: cell (column c, row r) is entry c * kKeyGridRows + r;
// kEmptyCell where there is no key. Keys missing here take no part in the layout effects.
extern const std::array<KeyIndex, kKeyGridColumns * kKeyGridRows> KeyGrid;

// A finer layout in which some keys take two cells; entry c * kKeyGridTallRows + r,
// kAbsentKey where there is no key.
extern const std::array<KeyIndex, kKeyGridColumns * kKeyGridTallRows> KeyGridTall;

// The cell's key, or the table's empty marker for a cell outside the table.
KeyIndex KeyGridCell(int column, int row);
KeyIndex KeyGridTallCell(int column, int row);

}  // namespace velnor7
