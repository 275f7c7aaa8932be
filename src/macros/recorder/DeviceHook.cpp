#include "macros/recorder/DeviceHook.h"

#include "common/Trace.h"
#include "keyboard/LinuxKeyCodes.h"
#include "macros/recorder/MacroRecorder.h"
#include "platform/SessionInputCapture.h"
#include "ui/UiThread.h"

namespace velnor7 {

namespace {

constexpr int kXButtonShift = 16;

HookMessages Register() {
    const auto reg = [](const char* name) { return ui::RegisterWindowMessage(QString::fromLatin1(name)); };
    return HookMessages{
        reg("WM_HOOK_KEY_SINGLEKEY_MSG"),      reg("WM_HOOK_KEY_HITKEY_MSG"),
        reg("WM_HOOK_KEY_KBMACRO_MSG"),        reg("WM_HOOK_KEY_KBMACROPREVIOUS_MSG"),
        reg("WM_HOOK_KEY_KBMACROLATER_MSG"),   reg("WM_HOOK_KEY_KBMACROSINGLE_MSG"),
        reg("WM_HOOK_KEY_MSMACRO_MSG"),        reg("WM_HOOK_KEY_MSMACROPREVIOUS_MSG"),
        reg("WM_HOOK_KEY_MSMACROLATER_MSG"),   reg("WM_HOOK_KEY_MSMACROSINGLE_MSG"),
        reg("WM_HOOK_MOU_SINGLEKEY_MSG"),      reg("WM_HOOK_MOU_HITKEY_MSG"),
        reg("WM_HOOK_MOU_KBMACRO_MSG"),        reg("WM_HOOK_MOU_MSMACRO_MSG"),
    };
}

// The window system's message of a button, and the X button number of the side buttons.
struct ButtonMessage {
    unsigned message = 0;
    int xButton = 0;
};

ButtonMessage MessageOf(const CapturedButton& button) {
    namespace msg = input_message;
    const bool down = button.pressed;
    switch (button.button) {
    case kLeftButton:
        return {down ? msg::kLeftDown : msg::kLeftUp, 0};
    case kRightButton:
        return {down ? msg::kRightDown : msg::kRightUp, 0};
    case kMiddleButton:
        return {down ? msg::kMiddleDown : msg::kMiddleUp, 0};
    case kForwardButton:
        return {down ? msg::kXButtonDown : msg::kXButtonUp, msg::kXButtonForward};
    case kBackButton:
        return {down ? msg::kXButtonDown : msg::kXButtonUp, msg::kXButtonBack};
    default:
        return {};
    }
}

}  // namespace

const HookMessages& HookMessages::Get() {
    static const HookMessages messages = Register();
    return messages;
}

unsigned HookMessages::ForKey(int mode) const {
    switch (mode) {
    case 1: return keySingleKey;
    case 2: return keyHitKey;
    case 4: return keyMacro;
    case 8: return keyMacroPrevious;
    case 16: return keyMacroLater;
    case 32: return keyMacroSingle;
    case 256: return mouseHookSingleKey;
    case 512: return mouseHookHitKey;
    case 1024: return mouseHookKeyMacro;
    default: return 0;
    }
}

unsigned HookMessages::ForMouse(int mode) const {
    switch (mode) {
    case 4: return mouseMacro;
    case 8: return mouseMacroPrevious;
    case 16: return mouseMacroLater;
    case 32: return mouseMacroSingle;
    default: return 0;
    }
}

namespace {

CDeviceHook::CaptureFactory& SessionCaptureOverride() {
    static CDeviceHook::CaptureFactory factory;
    return factory;
}

}  // namespace

CDeviceHook::CDeviceHook()
    : CDeviceHook([](IInputCapture::Post post, IInputCapture::KeyHandler onKey, IInputCapture::ButtonHandler onButton) {
          if (const CaptureFactory& replaced = SessionCaptureOverride()) {
              return replaced(std::move(post), std::move(onKey), std::move(onButton));
          }
          return MakeSessionInputCapture(std::move(post), std::move(onKey), std::move(onButton));
      }) {}

void CDeviceHook::OverrideSessionCapture(CaptureFactory factory) { SessionCaptureOverride() = std::move(factory); }

CDeviceHook::CDeviceHook(CaptureFactory factory) : factory_(std::move(factory)) {}

CDeviceHook::~CDeviceHook() { RemoveHooks(); }

bool CDeviceHook::InstallHooks(uint32_t value, int mode, ui::WindowHandle window, bool keyboardHook, bool mouseHook) {
    RemoveHooks();
    problem_.clear();
    value_ = value;
    window_ = window;
    mode_ = mode;
    keys_ = keyboardHook;
    buttons_ = mouseHook;
    if (!keyboardHook && !mouseHook) return true;
    std::unique_ptr<IInputCapture> capture = factory_(
        [](std::function<void()> work) { ui::PostToUiThread(std::move(work)); },
        [this](const CapturedKey& key) { OnKey(key); }, [this](const CapturedButton& button) { OnButton(button); });
    if (!capture) {
        problem_ = "no input can be captured in this session";
        return false;
    }
    if (!capture->Start(keyboardHook, problem_)) {
        Trace("input capture: %s", problem_.c_str());
        return false;
    }
    capture_ = std::move(capture);
    return true;
}

void CDeviceHook::RemoveHooks() {
    if (capture_) capture_->Stop();
    capture_.reset();
}

bool CDeviceHook::Global() const { return capture_ != nullptr && capture_->Global(); }

void CDeviceHook::OnKey(const CapturedKey& key) {
    const unsigned message = HookMessages::Get().ForKey(mode_);
    if (!keys_ || message == 0) return;
    // Keys without a set-1 scan code are none a macro or a key assignment can name.
    const std::optional<Set1Scan> scan = Set1ScanFromLinuxKey(key.linuxKey);
    if (!scan) return;
    HookKeyRecord record{scan->scanCode, scan->extended};
    const unsigned direction = key.pressed ? input_message::kKeyDown : input_message::kKeyUp;
    ui::SendWindowMessage(window_, ui::WindowMessage{message, direction, reinterpret_cast<std::intptr_t>(&record), {}});
}

void CDeviceHook::OnButton(const CapturedButton& button) {
    const unsigned message = HookMessages::Get().ForMouse(mode_);
    const ButtonMessage mouse = MessageOf(button);
    if (!buttons_ || message == 0 || mouse.message == 0) return;
    HookMouseRecord record{button.x, button.y, static_cast<uint32_t>(mouse.xButton) << kXButtonShift};
    ui::SendWindowMessage(window_,
                          ui::WindowMessage{message, mouse.message, reinterpret_cast<std::intptr_t>(&record), {}});
}

}  // namespace velnor7
