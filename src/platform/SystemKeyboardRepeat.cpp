#include "platform/SystemKeyboardRepeat.h"

#include <algorithm>
#include <cmath>

namespace velnor7 {

int RepeatIntervalMs(int rate) {
    constexpr double kSlowest = 2.5;  // repeats a second at rate 0
    constexpr double kFastest = 30.0;  // at rate 31
    const double perSecond = kSlowest + (kFastest - kSlowest) * std::clamp(rate, 0, kMaxRepeatRate) / kMaxRepeatRate;
    return static_cast<int>(std::lround(1000.0 / perSecond));
}

int RepeatDelayMs(int delay) { return 250 * (std::clamp(delay, 0, kMaxRepeatDelay) + 1); }

std::string DescribeRepeat(const KeyboardRepeatTiming& timing) {
    return "delay " + std::to_string(timing.delayMs) + " ms, a repeat every " + std::to_string(timing.intervalMs) +
           " ms";
}

bool RepeatHolds(const KeyboardRepeatRequest& request, const KeyboardRepeatTiming& now) {
    return (!request.delay || now.delayMs == RepeatDelayMs(*request.delay)) &&
           (!request.rate || now.intervalMs == RepeatIntervalMs(*request.rate));
}

}  // namespace velnor7
