// Key repeat in GNOME's own settings (org.gnome.desktop.peripherals.keyboard, "delay" and
// "repeat-interval" in milliseconds), which GNOME applies on X11 and Wayland alike and
// keeps across logins. Written with the gsettings program.
#pragma once

#include "platform/SystemKeyboardRepeat.h"

namespace velnor7 {

class CGnomeKeyboardRepeat : public ISystemKeyboardRepeat {
public:
    // Sets the values asked for, then reads both back: a settings store that did not keep
    // them (GLib's memory store without a session bus) counts as a failure.
    KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) override;
};

}  // namespace velnor7
