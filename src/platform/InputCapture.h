// Every key and mouse button the user presses while a capture is active, for recording
// macros and for picking a key to assign. Keys come as Linux key codes (those of the kernel's
// input layer, which X and Wayland key codes are offset from by 8).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velnor7 {

struct CapturedKey {
    bool pressed = false;
    int linuxKey = 0;

    bool operator==(const CapturedKey&) const = default;
};

// The buttons as the macro editor counts them.
enum CapturedMouseButton : int {
    kLeftButton = 1,
    kRightButton = 2,
    kMiddleButton = 3,
    kForwardButton = 4,
    kBackButton = 5,
};

struct CapturedButton {
    bool pressed = false;
    int button = 0;  // a CapturedMouseButton
    int x = 0;       // where the pointer was, in screen coordinates
    int y = 0;

    bool operator==(const CapturedButton&) const = default;
};

class IInputCapture {
public:
    using KeyHandler = std::function<void(const CapturedKey&)>;
    using ButtonHandler = std::function<void(const CapturedButton&)>;
    // Hands a piece of work to the UI thread (the platform layer knows no UI of its own).
    using Post = std::function<void(std::function<void()>)>;

    virtual ~IInputCapture() = default;

    // Starts reporting, through the Post given at construction; the handlers then run on the
    // UI thread. A held key is one press: its repeats are not reported. With `swallowKeys` the
    // keys reach no other program while the capture is active, except that Caps Lock, Num
    // Lock and Scroll Lock still lock. A capture already running is stopped and started
    // afresh. False, with `reason`, when it cannot start (another program holds the keyboard).
    virtual bool Start(bool swallowKeys, std::string& reason) = 0;
    // From the UI thread. Returns once capturing has ended; no handler runs after it, not even
    // for input that was already on its way. Harmless when nothing runs.
    virtual void Stop() = 0;
    // True: input anywhere in the session is seen; false: only that of the program's own window.
    virtual bool Global() const = 0;
};

}  // namespace velnor7
