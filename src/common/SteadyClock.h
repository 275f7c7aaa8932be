// Where time-outs and back-offs read the time: the steady clock, unless a test puts a clock of
// its own in place and steps it, so that timing rules are checked without waiting on them.
#pragma once

#include <chrono>
#include <functional>

namespace velnor7 {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

inline SteadyClock SystemSteadyClock() {
    return [] { return std::chrono::steady_clock::now(); };
}

}  // namespace velnor7
