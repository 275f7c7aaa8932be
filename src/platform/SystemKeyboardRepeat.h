// The computer's own key repeat: how long a held key waits before it repeats, and how
// fast it repeats then. The keyboard profile keeps both on the scales the profile files
// use (rate 0..31, delay 0..3); an implementation turns them into the system's setting.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace velnor7 {

inline constexpr int kMaxRepeatRate = 31;
inline constexpr int kMaxRepeatDelay = 3;

// Only the values given change; the system keeps its own for the others.
struct KeyboardRepeatRequest {
    std::optional<int> rate = {};   // 0 (about 2.5 repeats a second) .. 31 (about 30)
    std::optional<int> delay = {};  // 0..3: 250, 500, 750, 1000 ms
};

struct KeyboardRepeatTiming {
    int delayMs = 0;
    int intervalMs = 0;  // between two repeats

    bool operator==(const KeyboardRepeatTiming&) const = default;
};

struct KeyboardRepeatResult {
    enum class Outcome {
        Applied,       // the system has the new values
        NotAvailable,  // this session has no such setting: only the profile keeps them
        Failed,        // the system has the setting, but did not take the values
    };
    Outcome outcome = Outcome::NotAvailable;
    std::string reason;  // what was set where, or why not
    // What the system reports after the change, where it could be asked.
    std::optional<KeyboardRepeatTiming> readBack;
};

class ISystemKeyboardRepeat {
public:
    virtual ~ISystemKeyboardRepeat() = default;
    virtual KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) = 0;
};

// The profile's scales in milliseconds. Rates are linear in repeats a second from 2.5 (0)
// to 30 (31); values outside 0..31 and 0..3 are taken as the nearest end.
int RepeatIntervalMs(int rate);
int RepeatDelayMs(int delay);
// "delay 500 ms, a repeat every 33 ms".
std::string DescribeRepeat(const KeyboardRepeatTiming& timing);
// Whether the system now has the values the request asked for (only those it gave).
bool RepeatHolds(const KeyboardRepeatRequest& request, const KeyboardRepeatTiming& now);

// What this session offers: XKB on an X display (XWayland included), and the GNOME
// settings in a GNOME session; nothing elsewhere.
std::unique_ptr<ISystemKeyboardRepeat> MakeSystemKeyboardRepeat();

}  // namespace velnor7
