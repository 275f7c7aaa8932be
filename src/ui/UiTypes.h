#pragma once
// Records that travel between controls, windows and their owners.

#include <QString>
#include <cstdint>

namespace velnor7::ui {

class CControlUI;

// What a control tells its window: "click", "selectchanged", "itemselect", ...
struct TNotifyUI {
    QString sType;
    QString sVirtualWnd;  // the virtual page the sender belongs to; empty for the window itself
    CControlUI* pSender = nullptr;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// A numbered window message. Numbers below 0xC000 are the system's own; registered
// messages get numbers from 0xC000 up. `text` carries a string payload (a menu item's name).
struct WindowMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    QString text;
};

// The numbers of the window messages the layer itself raises.
namespace wm {
inline constexpr unsigned kDestroy = 0x0002;
inline constexpr unsigned kSize = 0x0005;
inline constexpr unsigned kActivate = 0x0006;
inline constexpr unsigned kClose = 0x0010;
inline constexpr unsigned kShowWindow = 0x0018;
inline constexpr unsigned kDisplayChange = 0x007E;
inline constexpr unsigned kTimer = 0x0113;
inline constexpr unsigned kPowerBroadcast = 0x0218;
inline constexpr unsigned kMouseHover = 0x02A1;
inline constexpr unsigned kMouseLeave = 0x02A3;
inline constexpr unsigned kDpiChanged = 0x02E0;
inline constexpr unsigned kUser = 0x0400;
inline constexpr unsigned kFirstRegistered = 0xC000;

// wParam of kSize
inline constexpr std::uintptr_t kSizeRestored = 0;
inline constexpr std::uintptr_t kSizeMinimized = 1;
inline constexpr std::uintptr_t kSizeMaximized = 2;
// wParam of kActivate
inline constexpr std::uintptr_t kInactive = 0;
inline constexpr std::uintptr_t kActive = 1;
// lParam of a tray callback message
inline constexpr std::intptr_t kTrayLeftButtonUp = 0x0202;
inline constexpr std::intptr_t kTrayRightButtonUp = 0x0205;
// wParam of kPowerBroadcast
inline constexpr std::uintptr_t kPowerSuspend = 4;
inline constexpr std::uintptr_t kPowerResumeAutomatic = 18;
}  // namespace wm

}  // namespace velnor7::ui
