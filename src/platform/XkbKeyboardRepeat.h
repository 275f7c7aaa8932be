// Key repeat of an X display through its XKB extension (XWayland included). The server
// keeps it until it ends or something else sets it; desktops that keep settings of their
// own (GNOME) set it again from those at the next login.
#pragma once

#include "platform/SystemKeyboardRepeat.h"

#include <string>

namespace velnor7 {

class CXkbKeyboardRepeat : public ISystemKeyboardRepeat {
public:
    // `display` as XOpenDisplay takes it (":1"); empty: the session's $DISPLAY.
    explicit CXkbKeyboardRepeat(std::string display = {});

    // Opens the display for the change only; the value not asked for keeps the server's.
    KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) override;

private:
    std::string display_;
};

}  // namespace velnor7
