#include "keyboard/KeyLayout.h"

#include <cstddef>

namespace velnor7 {

// Each line is one column, rows top to bottom.
const std::array<KeyIndex, kKeyGridColumns * kKeyGridRows> KeyGrid = {
    126, 120, 121, 122, 123, 124,  // column 0
    126,  21,  42,  63,  84, 105,  // column 1
      0,  22,  43,  64,  85, 106,  // column 2
      1,  23,  44,  65,  86, 126,  // column 3
      2,  24,  45,  66,  87, 107,  // column 4
      3,  25,  46,  67,  88, 126,  // column 5
      4,  26,  47,  68,  89, 108,  // column 6
      5,  27,  48,  69,  90, 126,  // column 7
      6,  28,  49,  70,  91, 126,  // column 8
      7,  29,  50,  71,  92, 109,  // column 9
      8,  30,  51,  72,  93, 125,  // column 10
      9,  31,  52,  73,  94, 111,  // column 11
     10,  32,  53,  74, 126, 112,  // column 12
     11,  33,  54, 126, 126, 113,  // column 13
     12,  34,  55,  75,  95, 114,  // column 14
    110, 126,  37,  58,  96, 115,  // column 15
     56, 126, 126, 126,  57, 126,  // column 16
    126,  36, 126, 126, 126, 126,  // column 17
    126, 126, 126, 126, 126, 126,  // column 18
    126,  38,  59,  76,  97, 116,  // column 19
    126,  39,  60,  77,  98, 126,  // column 20
    126,  40,  61,  78,  99, 117,  // column 21
    126,  41, 126, 119, 118, 126,  // column 22
};

const std::array<KeyIndex, kKeyGridColumns * kKeyGridTallRows> KeyGridTall = {
    255, 255, 255, 255, 255, 255, 105,  // column 0
    255, 255,  21,  42,  63,  84, 106,  // column 1
    255,   0,  22,  43,  64,  85, 107,  // column 2
    255,   1,  23,  44,  65,  86, 255,  // column 3
    255,   2,  24,  45,  66,  87, 255,  // column 4
    255,   3,  25,  46,  67,  88, 255,  // column 5
    255,   4,  26,  47,  68,  89, 108,  // column 6
    255, 255,  27,  48,  69,  90, 255,  // column 7
    255,   5,  28,  49,  70,  91, 255,  // column 8
    255,   6,  29,  50,  71,  92, 109,  // column 9
    255,   7,  30,  51,  72,  93, 109,  // column 10
    255,   8,  31,  52,  73,  94, 110,  // column 11
    255,   9,  32,  53,  74, 255, 111,  // column 12
    255,  10,  33,  54,  75, 255, 255,  // column 13
    255,  11,  34,  55, 255,  95, 112,  // column 14
    255,  12,  34,  55, 255,  95, 112,  // column 15
    255,  13,  35,  56, 255, 255, 113,  // column 16
    255,  14,  36,  57, 255,  96, 114,  // column 17
    255,  15,  37,  58, 255, 255, 115,  // column 18
    255,  17,  38,  59,  76,  97, 116,  // column 19
    125,  18,  39,  60,  77,  98, 116,  // column 20
    255,  19,  40,  61,  78,  99, 117,  // column 21
    255,  20,  41, 255, 119, 118, 255,  // column 22
};

namespace {

template <size_t N>
KeyIndex CellOf(const std::array<KeyIndex, N>& grid, int rows, KeyIndex empty, int column, int row) {
    if (column < 0 || column >= kKeyGridColumns || row < 0 || row >= rows) return empty;
    return grid[static_cast<size_t>(column * rows + row)];
}

}  // namespace

KeyIndex KeyGridCell(int column, int row) {
    return CellOf(KeyGrid, kKeyGridRows, kEmptyCell, column, row);
}

KeyIndex KeyGridTallCell(int column, int row) {
    return CellOf(KeyGridTall, kKeyGridTallRows, kAbsentKey, column, row);
}

}  // namespace velnor7
