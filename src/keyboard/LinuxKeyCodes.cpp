#include "keyboard/LinuxKeyCodes.h"

#include <algorithm>
#include <array>

namespace velnor7 {

namespace {

struct LinuxKeyScan {
    int linuxKeyCode;
    Set1Scan scan;
};

// Ordered by Linux key code. The scan codes are those of the key code table,
// including its quirks: right Shift counts as extended, and Pause shares 0x45
// with Num Lock, told apart by the extended flag.
constexpr std::array<LinuxKeyScan, 113> kLinuxKeyScans = {{
    {1, {0x01, false}},  // KEY_ESC
    {2, {0x02, false}},  // KEY_1
    {3, {0x03, false}},  // KEY_2
    {4, {0x04, false}},  // KEY_3
    {5, {0x05, false}},  // KEY_4
    {6, {0x06, false}},  // KEY_5
    {7, {0x07, false}},  // KEY_6
    {8, {0x08, false}},  // KEY_7
    {9, {0x09, false}},  // KEY_8
    {10, {0x0A, false}},  // KEY_9
    {11, {0x0B, false}},  // KEY_0
    {12, {0x0C, false}},  // KEY_MINUS
    {13, {0x0D, false}},  // KEY_EQUAL
    {14, {0x0E, false}},  // KEY_BACKSPACE
    {15, {0x0F, false}},  // KEY_TAB
    {16, {0x10, false}},  // KEY_Q
    {17, {0x11, false}},  // KEY_W
    {18, {0x12, false}},  // KEY_E
    {19, {0x13, false}},  // KEY_R
    {20, {0x14, false}},  // KEY_T
    {21, {0x15, false}},  // KEY_Y
    {22, {0x16, false}},  // KEY_U
    {23, {0x17, false}},  // KEY_I
    {24, {0x18, false}},  // KEY_O
    {25, {0x19, false}},  // KEY_P
    {26, {0x1A, false}},  // KEY_LEFTBRACE
    {27, {0x1B, false}},  // KEY_RIGHTBRACE
    {28, {0x1C, false}},  // KEY_ENTER
    {29, {0x1D, false}},  // KEY_LEFTCTRL
    {30, {0x1E, false}},  // KEY_A
    {31, {0x1F, false}},  // KEY_S
    {32, {0x20, false}},  // KEY_D
    {33, {0x21, false}},  // KEY_F
    {34, {0x22, false}},  // KEY_G
    {35, {0x23, false}},  // KEY_H
    {36, {0x24, false}},  // KEY_J
    {37, {0x25, false}},  // KEY_K
    {38, {0x26, false}},  // KEY_L
    {39, {0x27, false}},  // KEY_SEMICOLON
    {40, {0x28, false}},  // KEY_APOSTROPHE
    {41, {0x29, false}},  // KEY_GRAVE
    {42, {0x2A, false}},  // KEY_LEFTSHIFT
    {43, {0x2B, false}},  // KEY_BACKSLASH
    {44, {0x2C, false}},  // KEY_Z
    {45, {0x2D, false}},  // KEY_X
    {46, {0x2E, false}},  // KEY_C
    {47, {0x2F, false}},  // KEY_V
    {48, {0x30, false}},  // KEY_B
    {49, {0x31, false}},  // KEY_N
    {50, {0x32, false}},  // KEY_M
    {51, {0x33, false}},  // KEY_COMMA
    {52, {0x34, false}},  // KEY_DOT
    {53, {0x35, false}},  // KEY_SLASH
    {54, {0x36, true}},  // KEY_RIGHTSHIFT
    {55, {0x37, false}},  // KEY_KPASTERISK
    {56, {0x38, false}},  // KEY_LEFTALT
    {57, {0x39, false}},  // KEY_SPACE
    {58, {0x3A, false}},  // KEY_CAPSLOCK
    {59, {0x3B, false}},  // KEY_F1
    {60, {0x3C, false}},  // KEY_F2
    {61, {0x3D, false}},  // KEY_F3
    {62, {0x3E, false}},  // KEY_F4
    {63, {0x3F, false}},  // KEY_F5
    {64, {0x40, false}},  // KEY_F6
    {65, {0x41, false}},  // KEY_F7
    {66, {0x42, false}},  // KEY_F8
    {67, {0x43, false}},  // KEY_F9
    {68, {0x44, false}},  // KEY_F10
    {69, {0x45, true}},  // KEY_NUMLOCK
    {70, {0x46, false}},  // KEY_SCROLLLOCK
    {71, {0x47, false}},  // KEY_KP7
    {72, {0x48, false}},  // KEY_KP8
    {73, {0x49, false}},  // KEY_KP9
    {74, {0x4A, false}},  // KEY_KPMINUS
    {75, {0x4B, false}},  // KEY_KP4
    {76, {0x4C, false}},  // KEY_KP5
    {77, {0x4D, false}},  // KEY_KP6
    {78, {0x4E, false}},  // KEY_KPPLUS
    {79, {0x4F, false}},  // KEY_KP1
    {80, {0x50, false}},  // KEY_KP2
    {81, {0x51, false}},  // KEY_KP3
    {82, {0x52, false}},  // KEY_KP0
    {83, {0x53, false}},  // KEY_KPDOT
    {86, {0x56, false}},  // KEY_102ND
    {87, {0x57, false}},  // KEY_F11
    {88, {0x58, false}},  // KEY_F12
    {89, {0x73, false}},  // KEY_RO
    {92, {0x79, false}},  // KEY_HENKAN
    {93, {0x70, false}},  // KEY_KATAKANAHIRAGANA
    {94, {0x7B, false}},  // KEY_MUHENKAN
    {96, {0x1C, true}},  // KEY_KPENTER
    {97, {0x1D, true}},  // KEY_RIGHTCTRL
    {98, {0x35, true}},  // KEY_KPSLASH
    {99, {0x37, true}},  // KEY_SYSRQ
    {100, {0x38, true}},  // KEY_RIGHTALT
    {102, {0x47, true}},  // KEY_HOME
    {103, {0x48, true}},  // KEY_UP
    {104, {0x49, true}},  // KEY_PAGEUP
    {105, {0x4B, true}},  // KEY_LEFT
    {106, {0x4D, true}},  // KEY_RIGHT
    {107, {0x4F, true}},  // KEY_END
    {108, {0x50, true}},  // KEY_DOWN
    {109, {0x51, true}},  // KEY_PAGEDOWN
    {110, {0x52, true}},  // KEY_INSERT
    {111, {0x53, true}},  // KEY_DELETE
    {119, {0x45, false}},  // KEY_PAUSE
    {121, {0x7E, false}},  // KEY_KPCOMMA
    {122, {0x72, false}},  // KEY_HANGEUL
    {123, {0x71, false}},  // KEY_HANJA
    {124, {0x7D, false}},  // KEY_YEN
    {125, {0x5B, true}},  // KEY_LEFTMETA
    {126, {0x5C, true}},  // KEY_RIGHTMETA
    {127, {0x5D, true}},  // KEY_COMPOSE
}};

constexpr int kX11KeycodeOffset = 8;

}  // namespace

std::optional<Set1Scan> Set1ScanFromLinuxKey(int linuxKeyCode) {
    const auto found = std::find_if(kLinuxKeyScans.begin(), kLinuxKeyScans.end(),
                                    [&](const LinuxKeyScan& entry) { return entry.linuxKeyCode == linuxKeyCode; });
    if (found == kLinuxKeyScans.end()) return std::nullopt;
    return found->scan;
}

std::optional<Set1Scan> Set1ScanFromX11Keycode(int x11Keycode) {
    return Set1ScanFromLinuxKey(x11Keycode - kX11KeycodeOffset);
}

}  // namespace velnor7
