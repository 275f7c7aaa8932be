// The key repeat settings a desktop session has, set one after the other: XKB where there
// is an X display, GNOME's own settings in a GNOME session (on X11 and Wayland). A session
// with neither has no setting to change; a trace line says so.
#pragma once

#include "platform/SystemKeyboardRepeat.h"

#include <memory>
#include <string>
#include <vector>

namespace velnor7 {

class CDesktopKeyboardRepeat : public ISystemKeyboardRepeat {
public:
    struct Session {
        std::string display;         // $DISPLAY
        std::string currentDesktop;  // $XDG_CURRENT_DESKTOP, such as "ubuntu:GNOME"
    };
    static Session SessionOfProcess();
    static std::unique_ptr<CDesktopKeyboardRepeat> ForSession(const Session& session);

    explicit CDesktopKeyboardRepeat(std::vector<std::unique_ptr<ISystemKeyboardRepeat>> settings);

    // Applied when every setting took the values; the reason names each one's outcome and
    // the read-back is the first one's that could be read.
    KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) override;

private:
    std::vector<std::unique_ptr<ISystemKeyboardRepeat>> settings_;
};

}  // namespace velnor7
