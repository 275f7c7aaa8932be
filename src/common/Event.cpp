#include "common/Event.h"

#include <chrono>

namespace velnor7 {

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    if (automatic_) changed_.notify_one();
    else changed_.notify_all();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs < 0) changed_.wait(lock, [this] { return set_; });
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) return false;
    if (automatic_) set_ = false;
    return true;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

}  // namespace velnor7
