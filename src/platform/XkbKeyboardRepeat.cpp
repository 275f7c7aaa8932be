#include "platform/XkbKeyboardRepeat.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#include <X11/XKBlib.h>

namespace velnor7 {

namespace {

using Outcome = KeyboardRepeatResult::Outcome;

// Xlib's own handler ends the program on any protocol error; an error of ours is only an
// answer. Set on the calling thread around our requests and put back afterwards.
std::atomic<int> lastXError{0};

int RememberXError(Display* display, XErrorEvent* event) {
    (void)display;
    lastXError.store(event->error_code);
    return 0;
}

class ErrorTrap {
public:
    ErrorTrap() : previous_(XSetErrorHandler(RememberXError)) { lastXError.store(0); }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    XErrorHandler previous_;
};

std::string WhyNotOpened(int reason) {
    switch (reason) {
    case XkbOD_BadLibraryVersion:
        return "the X library's XKB version does not match";
    case XkbOD_NonXkbServer:
        return "the X server has no XKB extension";
    case XkbOD_BadServerVersion:
        return "the X server's XKB version is not supported";
    default:
        return "the display cannot be opened";
    }
}

std::optional<KeyboardRepeatTiming> ReadTiming(Display* display) {
    unsigned delay = 0;
    unsigned interval = 0;
    if (!XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval)) return std::nullopt;
    return KeyboardRepeatTiming{static_cast<int>(delay), static_cast<int>(interval)};
}

}  // namespace

CXkbKeyboardRepeat::CXkbKeyboardRepeat(std::string display) : display_(std::move(display)) {}

KeyboardRepeatResult CXkbKeyboardRepeat::Apply(const KeyboardRepeatRequest& request) {
    const char* session = std::getenv("DISPLAY");
    const std::string name = display_.empty() ? std::string(session != nullptr ? session : "") : display_;
    const std::string where = "XKB on " + name;
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int reason = XkbOD_Success;
    std::unique_ptr<Display, int (*)(Display*)> display(
        XkbOpenDisplay(display_.empty() ? nullptr : display_.c_str(), &event, &error, &major, &minor, &reason),
        XCloseDisplay);
    if (!display) return {Outcome::Failed, where + ": " + WhyNotOpened(reason), std::nullopt};

    const ErrorTrap trap;
    std::optional<KeyboardRepeatTiming> timing = ReadTiming(display.get());
    if (!timing) return {Outcome::Failed, where + ": the server does not tell its repeat rate", std::nullopt};
    if (request.delay) timing->delayMs = RepeatDelayMs(*request.delay);
    if (request.rate) timing->intervalMs = RepeatIntervalMs(*request.rate);
    XkbSetAutoRepeatRate(display.get(), XkbUseCoreKbd, static_cast<unsigned>(timing->delayMs),
                         static_cast<unsigned>(timing->intervalMs));
    XSync(display.get(), False);
    const std::optional<KeyboardRepeatTiming> now = ReadTiming(display.get());
    if (const int code = lastXError.load(); code != 0) {
        return {Outcome::Failed, where + ": the server refused the change (X error " + std::to_string(code) + ")", now};
    }
    if (!now || !RepeatHolds(request, *now)) {
        const std::string held = now ? " (now " + DescribeRepeat(*now) + ")" : std::string();
        return {Outcome::Failed, where + ": the change did not hold" + held, now};
    }
    return {Outcome::Applied, where + ": " + DescribeRepeat(*now), now};
}

}  // namespace velnor7
