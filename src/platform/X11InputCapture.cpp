#include "platform/X11InputCapture.h"

#include <array>
#include <bitset>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace velnor7 {

namespace {

// Raw events reach clients that hold no grab only from XInput 2.1 on; 2.2 is what every
// server of the last ten years speaks.
constexpr int kXInputMajor = 2;
constexpr int kXInputMinor = 2;
// X key codes are the kernel's key codes plus 8.
constexpr int kX11KeycodeOffset = 8;

std::string DisplayName(const std::string& display) {
    if (!display.empty()) return display;
    const char* session = std::getenv("DISPLAY");
    return session != nullptr ? session : "";
}

// The display, or null with the reason. The connection says which XInput version it speaks,
// as the server sends raw events to each client by the version it announced.
Display* OpenWithXInput(const std::string& display, int& xinputOpcode, std::string& reason) {
    const std::string name = DisplayName(display);
    Display* connection = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (connection == nullptr) {
        reason = "the X display \"" + name + "\" cannot be opened";
        return nullptr;
    }
    int event = 0;
    int error = 0;
    int major = kXInputMajor;
    int minor = kXInputMinor;
    if (!XQueryExtension(connection, "XInputExtension", &xinputOpcode, &event, &error) ||
        XIQueryVersion(connection, &major, &minor) != Success || major < kXInputMajor ||
        (major == kXInputMajor && minor < kXInputMinor)) {
        reason = "the X display \"" + name + "\" has no XInput 2.2";
        XCloseDisplay(connection);
        return nullptr;
    }
    return connection;
}

using EventBits = std::array<unsigned char, XIMaskLen(XI_LASTEVENT)>;

EventBits RawEvents(bool withButtons) {
    EventBits bits{};
    XISetMask(bits.data(), XI_RawKeyPress);
    XISetMask(bits.data(), XI_RawKeyRelease);
    if (withButtons) {
        XISetMask(bits.data(), XI_RawButtonPress);
        XISetMask(bits.data(), XI_RawButtonRelease);
    }
    return bits;
}

// X button numbers to the macro editor's. Wheel turns (4 to 7) are no buttons to it.
std::optional<int> MacroButtonFromX11(int x11Button) {
    switch (x11Button) {
    case Button1:
        return kLeftButton;
    case Button2:
        return kMiddleButton;
    case Button3:
        return kRightButton;
    case 8:
        return kBackButton;
    case 9:
        return kForwardButton;
    default:
        return std::nullopt;
    }
}

// Where the handlers are, and whether they may still be called. Only the UI thread reads or
// changes it: work posted by a capture that has since stopped finds its run no longer open.
struct Delivery {
    IInputCapture::KeyHandler onKey;
    IInputCapture::ButtonHandler onButton;
    uint64_t openRun = 0;  // 0: none
};

// What one run of the capture thread owns. It alone uses the connection until it is joined.
struct CaptureRun {
    Display* display = nullptr;
    int xinputOpcode = 0;
    int wake = -1;
    uint64_t id = 0;
    IInputCapture::Post post;
    std::shared_ptr<Delivery> delivery;
};

class CaptureThread {
public:
    explicit CaptureThread(CaptureRun run) : run_(std::move(run)) {}

    // Until the wake descriptor is written to. A broken connection ends the program through
    // Xlib's handler, as the program's own connection to that server would.
    void Run() {
        pollfd watched[2] = {{run_.wake, POLLIN, 0}, {ConnectionNumber(run_.display), POLLIN, 0}};
        for (;;) {
            while (XPending(run_.display) > 0) {
                XEvent event;
                XNextEvent(run_.display, &event);
                Handle(event);
            }
            if (::poll(watched, 2, -1) < 0 && errno != EINTR) break;
            if ((watched[0].revents & POLLIN) != 0) break;
        }
    }

private:
    void Handle(XEvent& event) {
        // Only XInput events were asked for; any other the server sends is of no concern.
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != run_.xinputOpcode) return;
        if (!XGetEventData(run_.display, &cookie)) return;
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        switch (cookie.evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            OnKey(raw->detail, cookie.evtype == XI_RawKeyPress);
            break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            OnButton(raw->detail, cookie.evtype == XI_RawButtonPress);
            break;
        default:
            break;
        }
        XFreeEventData(run_.display, &cookie);
    }

    void OnKey(int keycode, bool pressed) {
        if (keycode < 0 || keycode >= static_cast<int>(down_.size())) return;
        // A repeat is a press of a key that is down; a release of a key pressed before the
        // capture began is half a keystroke. Neither belongs in a recording.
        if (down_.test(static_cast<size_t>(keycode)) == pressed) return;
        down_.set(static_cast<size_t>(keycode), pressed);
        Deliver([key = CapturedKey{pressed, keycode - kX11KeycodeOffset}](const Delivery& to) { to.onKey(key); });
    }

    void OnButton(int x11Button, bool pressed) {
        const std::optional<int> button = MacroButtonFromX11(x11Button);
        if (!button) return;
        // Raw events carry no position; the pointer has not moved on since, in all but rare races.
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int mask = 0;
        XQueryPointer(run_.display, DefaultRootWindow(run_.display), &root, &child, &rootX, &rootY, &windowX,
                      &windowY, &mask);
        Deliver([captured = CapturedButton{pressed, *button, rootX, rootY}](const Delivery& to) {
            to.onButton(captured);
        });
    }

    template <typename Call>
    void Deliver(Call call) {
        run_.post([delivery = run_.delivery, id = run_.id, call = std::move(call)] {
            if (delivery->openRun == id) call(*delivery);
        });
    }

    CaptureRun run_;
    std::bitset<256> down_;  // by X key code
};

class CX11InputCapture : public IInputCapture {
public:
    CX11InputCapture(std::string display, Post post, KeyHandler onKey, ButtonHandler onButton)
        : display_(std::move(display)),
          post_(std::move(post)),
          delivery_(std::make_shared<Delivery>(Delivery{std::move(onKey), std::move(onButton), 0})) {}
    ~CX11InputCapture() override { Stop(); }
    CX11InputCapture(const CX11InputCapture&) = delete;
    CX11InputCapture& operator=(const CX11InputCapture&) = delete;

    bool Start(bool swallowKeys, std::string& reason) override {
        Stop();
        int xinputOpcode = 0;
        Display* display = OpenWithXInput(display_, xinputOpcode, reason);
        if (display == nullptr) return false;
        const Window root = DefaultRootWindow(display);
        EventBits bits = RawEvents(true);
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
        XISelectEvents(display, root, &mask, 1);
        if (swallowKeys && !GrabKeyboards(display, root)) {
            reason = "another program holds the keyboard";
            XCloseDisplay(display);
            return false;
        }
        // Selected and grabbed before Start returns: no key typed after it goes unseen.
        XSync(display, False);
        const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) {
            reason = "no event descriptor for the capture thread";
            XCloseDisplay(display);
            return false;
        }
        connection_ = display;
        wake_ = wake;
        delivery_->openRun = ++lastRun_;
        CaptureThread capture({display, xinputOpcode, wake, lastRun_, post_, delivery_});
        thread_ = std::thread([capture = std::move(capture)]() mutable { capture.Run(); });
        return true;
    }

    void Stop() override {
        if (!thread_.joinable()) return;
        delivery_->openRun = 0;
        const uint64_t one = 1;
        // An eventfd write only fails when the counter would overflow; one is enough to wake.
        while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
        for (const int keyboard : grabbedKeyboards_) XIUngrabDevice(connection_, keyboard, CurrentTime);
        grabbedKeyboards_.clear();
        XCloseDisplay(connection_);
        ::close(wake_);
        connection_ = nullptr;
        wake_ = -1;
    }

    bool Global() const override { return true; }

private:
    // Every master keyboard (more than one only with several seats), grabbed through XInput 2:
    // the server gives the raw events of a device grabbed by this client only through the grab
    // (not to the root window too), and a core grab would take them in as core events and lose
    // them. The server's XKB still applies the lock keys' actions to a grabbed keyboard, so
    // Caps, Num and Scroll Lock go on locking without our help.
    bool GrabKeyboards(Display* display, Window root) {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
        EventBits bits = RawEvents(false);
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
        bool grabbed = true;
        for (int index = 0; index < count && grabbed; ++index) {
            if (devices[index].use != XIMasterKeyboard) continue;
            const int keyboard = devices[index].deviceid;
            grabbed = XIGrabDevice(display, keyboard, root, CurrentTime, 0, XIGrabModeAsync, XIGrabModeAsync, False,
                                   &mask) == GrabSuccess;
            if (grabbed) grabbedKeyboards_.push_back(keyboard);
        }
        XIFreeDeviceInfo(devices);
        if (!grabbed) {
            for (const int keyboard : grabbedKeyboards_) XIUngrabDevice(display, keyboard, CurrentTime);
            grabbedKeyboards_.clear();
        }
        return grabbed;
    }

    std::string display_;
    Post post_;
    std::shared_ptr<Delivery> delivery_;
    uint64_t lastRun_ = 0;
    Display* connection_ = nullptr;
    int wake_ = -1;
    std::vector<int> grabbedKeyboards_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<IInputCapture> MakeX11InputCapture(const std::string& display, IInputCapture::Post post,
                                                   IInputCapture::KeyHandler onKey,
                                                   IInputCapture::ButtonHandler onButton) {
    int xinputOpcode = 0;
    std::string reason;
    Display* probe = OpenWithXInput(display, xinputOpcode, reason);
    if (probe == nullptr) return nullptr;
    XCloseDisplay(probe);
    return std::make_unique<CX11InputCapture>(display, std::move(post), std::move(onKey), std::move(onButton));
}

}  // namespace velnor7
