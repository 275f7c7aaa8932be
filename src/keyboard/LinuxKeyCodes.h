// Linux key codes (evdev; X11 key codes are these plus 8) to the set-1 scan
// codes that identify keys in the key code table.
#pragma once

#include <cstdint>
#include <optional>

namespace velnor7 {

struct Set1Scan {
    uint8_t scanCode;
    bool extended;  // E0-prefixed

    bool operator==(const Set1Scan&) const = default;
};

// Covers every key of the key code table that has a scan code; none for others.
std::optional<Set1Scan> Set1ScanFromLinuxKey(int linuxKeyCode);
std::optional<Set1Scan> Set1ScanFromX11Keycode(int x11Keycode);

}  // namespace velnor7
