// Waiting for another thread in tests without a Qt event loop.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace velnor7::testing {

// Polls `condition` until it holds; false after `ms`. The deadline only ends a wait for
// something that never comes, so it is generous: no test depends on how soon it holds.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace velnor7::testing
