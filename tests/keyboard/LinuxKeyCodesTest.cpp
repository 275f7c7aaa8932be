#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <vector>

#include "keyboard/KeyCodeTable.h"
#include "keyboard/LinuxKeyCodes.h"

namespace velnor7 {
namespace {

struct LinuxKeyRow {
    int linuxKeyCode;
    size_t row;
};

// The key code each table row produces under Linux, worked out from the row's
// HID usage (or modifier bit) rather than from its scan code.
const std::vector<LinuxKeyRow> kLinuxKeyRows = {
    {KEY_LEFTCTRL, 0}, {KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 2}, {KEY_LEFTMETA, 3}, {KEY_RIGHTCTRL, 4},
    {KEY_RIGHTSHIFT, 5}, {KEY_RIGHTALT, 6}, {KEY_RIGHTMETA, 7}, {KEY_A, 8}, {KEY_B, 9},
    {KEY_C, 10}, {KEY_D, 11}, {KEY_E, 12}, {KEY_F, 13}, {KEY_G, 14},
    {KEY_H, 15}, {KEY_I, 16}, {KEY_J, 17}, {KEY_K, 18}, {KEY_L, 19},
    {KEY_M, 20}, {KEY_N, 21}, {KEY_O, 22}, {KEY_P, 23}, {KEY_Q, 24},
    {KEY_R, 25}, {KEY_S, 26}, {KEY_T, 27}, {KEY_U, 28}, {KEY_V, 29},
    {KEY_W, 30}, {KEY_X, 31}, {KEY_Y, 32}, {KEY_Z, 33}, {KEY_1, 34},
    {KEY_2, 35}, {KEY_3, 36}, {KEY_4, 37}, {KEY_5, 38}, {KEY_6, 39},
    {KEY_7, 40}, {KEY_8, 41}, {KEY_9, 42}, {KEY_0, 43}, {KEY_ENTER, 44},
    {KEY_ESC, 45}, {KEY_BACKSPACE, 46}, {KEY_TAB, 47}, {KEY_SPACE, 48}, {KEY_MINUS, 49},
    {KEY_EQUAL, 50}, {KEY_LEFTBRACE, 51}, {KEY_RIGHTBRACE, 52}, {KEY_BACKSLASH, 53}, {KEY_SEMICOLON, 54},
    {KEY_APOSTROPHE, 55}, {KEY_GRAVE, 56}, {KEY_COMMA, 57}, {KEY_DOT, 58}, {KEY_SLASH, 59},
    {KEY_CAPSLOCK, 60}, {KEY_F1, 61}, {KEY_F2, 62}, {KEY_F3, 63}, {KEY_F4, 64},
    {KEY_F5, 65}, {KEY_F6, 66}, {KEY_F7, 67}, {KEY_F8, 68}, {KEY_F9, 69},
    {KEY_F10, 70}, {KEY_F11, 71}, {KEY_F12, 72}, {KEY_SYSRQ, 73}, {KEY_SCROLLLOCK, 74},
    {KEY_PAUSE, 75}, {KEY_INSERT, 76}, {KEY_HOME, 77}, {KEY_PAGEUP, 78}, {KEY_DELETE, 79},
    {KEY_END, 80}, {KEY_PAGEDOWN, 81}, {KEY_RIGHT, 82}, {KEY_LEFT, 83}, {KEY_DOWN, 84},
    {KEY_UP, 85}, {KEY_NUMLOCK, 86}, {KEY_KPSLASH, 87}, {KEY_KPASTERISK, 88}, {KEY_KPMINUS, 89},
    {KEY_KPPLUS, 90}, {KEY_KPENTER, 91}, {KEY_KP1, 92}, {KEY_KP2, 93}, {KEY_KP3, 94},
    {KEY_KP4, 95}, {KEY_KP5, 96}, {KEY_KP6, 97}, {KEY_KP7, 98}, {KEY_KP8, 99},
    {KEY_KP9, 100}, {KEY_KP0, 101}, {KEY_KPDOT, 102}, {KEY_COMPOSE, 103}, {KEY_102ND, 104},
    {KEY_RO, 105}, {KEY_YEN, 106}, {KEY_KPCOMMA, 107}, {KEY_MUHENKAN, 108}, {KEY_HENKAN, 109},
    {KEY_KATAKANAHIRAGANA, 110}, {KEY_HANJA, 111}, {KEY_HANGEUL, 112},
};

TEST(LinuxKeyCodes, EveryScanCodeRowIsReachedFromItsLinuxKey) {
    std::set<size_t> rows;
    for (const LinuxKeyRow& entry : kLinuxKeyRows) {
        const std::optional<Set1Scan> scan = Set1ScanFromLinuxKey(entry.linuxKeyCode);
        ASSERT_TRUE(scan) << entry.linuxKeyCode;
        EXPECT_EQ(scan->scanCode, KeyCodeTable[entry.row].scanCode) << entry.linuxKeyCode;
        EXPECT_EQ(scan->extended, KeyCodeTable[entry.row].extended) << entry.linuxKeyCode;
        EXPECT_EQ(RowForCapturedKey(scan->scanCode, scan->extended), entry.row) << entry.linuxKeyCode;
        rows.insert(entry.row);
    }
    EXPECT_EQ(rows.size(), kScanCodeRowCount);
}

TEST(LinuxKeyCodes, KeysOutsideTheTableAndX11Offset) {
    EXPECT_EQ(Set1ScanFromLinuxKey(KEY_VOLUMEUP), std::nullopt);
    EXPECT_EQ(Set1ScanFromLinuxKey(KEY_RESERVED), std::nullopt);
    EXPECT_EQ(Set1ScanFromLinuxKey(-1), std::nullopt);
    EXPECT_EQ(Set1ScanFromX11Keycode(KEY_A + 8), (Set1Scan{0x1E, false}));
    EXPECT_EQ(Set1ScanFromX11Keycode(KEY_KPENTER + 8), (Set1Scan{0x1C, true}));
    EXPECT_EQ(Set1ScanFromX11Keycode(KEY_A), Set1ScanFromLinuxKey(KEY_A - 8));
}

}  // namespace
}  // namespace velnor7
