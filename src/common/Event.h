// A waitable event with manual or automatic reset.
#pragma once

#include <condition_variable>
#include <mutex>

namespace velnor7 {

class Event {
public:
    enum class Reset { Manual, Automatic };
    explicit Event(Reset reset, bool initiallySet = false) : automatic_(reset == Reset::Automatic), set_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until the event is set or the time-out (milliseconds, -1 = no limit)
    // passes; true when set. An automatic event is reset by the wait it ends.
    bool Wait(int timeoutMs);
    bool IsSet() const;

private:
    const bool automatic_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_;
};

}  // namespace velnor7
