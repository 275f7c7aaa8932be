// The capture of keys and mouse buttons for recording macros and for picking a key: while it is
// installed, every key and button the user presses reaches the target window as the registered
// message of the hook mode, sent on the UI thread, and keys reach no other program.
#pragma once

#include "platform/InputCapture.h"
#include "ui/WindowMessages.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velnor7 {

// What lParam of a key message points to while the message is handled.
struct HookKeyRecord {
    uint8_t scanCode = 0;  // set-1
    bool extended = false;  // E0-prefixed
};

// What lParam of a mouse message points to while the message is handled.
struct HookMouseRecord {
    int32_t x = 0;  // screen point
    int32_t y = 0;
    uint32_t mouseData = 0;  // high 16 bits: the X button number of an X button message
};

// The registered messages, by the names other parts of the program know them.
struct HookMessages {
    unsigned keySingleKey;          // "WM_HOOK_KEY_SINGLEKEY_MSG", mode 1
    unsigned keyHitKey;             // mode 2
    unsigned keyMacro;              // mode 4
    unsigned keyMacroPrevious;      // mode 8
    unsigned keyMacroLater;         // mode 16
    unsigned keyMacroSingle;        // mode 32
    unsigned mouseMacro;            // "WM_HOOK_KEY_MSMACRO_MSG", mode 4
    unsigned mouseMacroPrevious;    // mode 8
    unsigned mouseMacroLater;       // mode 16
    unsigned mouseMacroSingle;      // mode 32
    unsigned mouseHookSingleKey;    // mode 256
    unsigned mouseHookHitKey;       // mode 512
    unsigned mouseHookKeyMacro;     // mode 1024
    unsigned mouseHookMouseMacro;   // registered only

    // Registered once per process.
    static const HookMessages& Get();
    // The message of a key or mouse event in `mode`; 0 when the mode sends none.
    unsigned ForKey(int mode) const;
    unsigned ForMouse(int mode) const;
};

class CDeviceHook {
public:
    // Hook modes.
    static constexpr int kSingleKey = 1;        // key capture for a key assignment
    static constexpr int kMacroAppend = 4;
    static constexpr int kMacroBefore = 8;
    static constexpr int kMacroAfter = 16;
    static constexpr int kMacroReplace = 32;

    // Makes the capture that delivers to the given handlers; may give null when none can run.
    using CaptureFactory = std::function<std::unique_ptr<IInputCapture>(
        IInputCapture::Post, IInputCapture::KeyHandler, IInputCapture::ButtonHandler)>;

    // The session's capture: all of an X session's input, else that of the program's windows
    // (or what OverrideSessionCapture put in its place).
    CDeviceHook();
    explicit CDeviceHook(CaptureFactory factory);
    virtual ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Removes what was installed, then captures keys (swallowed) when `keyboardHook` and mouse
    // buttons when `mouseHook`, for `window` in `mode`. False when the capture cannot start;
    // LastProblem() then says why and nothing is installed.
    bool InstallHooks(uint32_t value, int mode, ui::WindowHandle window, bool keyboardHook, bool mouseHook);
    void RemoveHooks();
    bool Installed() const { return capture_ != nullptr; }
    int Mode() const { return mode_; }
    uint32_t Value() const { return value_; }
    // Whether the installed capture sees input anywhere in the session, not only in the
    // program's own windows.
    bool Global() const;
    const std::string& LastProblem() const { return problem_; }

    // What hooks made with the default constructor capture with from now on (tests put input of
    // their own in place); an empty factory restores the session's capture.
    static void OverrideSessionCapture(CaptureFactory factory);

private:
    void OnKey(const CapturedKey& key);
    void OnButton(const CapturedButton& button);

    CaptureFactory factory_;
    std::unique_ptr<IInputCapture> capture_;
    ui::WindowHandle window_ = 0;
    int mode_ = 0;
    uint32_t value_ = 0;
    bool keys_ = false;
    bool buttons_ = false;
    std::string problem_;
};

}  // namespace velnor7
