// A long-lived background thread with a manual-reset stop event.
//
// The body waits on the stop event between its steps. Stop() signals the event,
// waits up to the grace period, writes the outcome as a trace line and then
// joins: no thread is ever killed, so every blocking wait in a body must be one
// that the stop can end.
#pragma once

#include "common/Event.h"

#include <functional>
#include <thread>

namespace velnor7 {

enum class ThreadStopOutcome { NotRunning, Ended, TimedOut };

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body with the stop event reset. Does nothing while running.
    void Start(std::function<void(Event& stop)> body);
    bool Running() const { return thread_.joinable(); }
    // `wake` runs after the stop event is set: it ends a wait of the body's on something
    // else (a read, a bus watch), which must then stay ended until the body looks at
    // the stop event.
    ThreadStopOutcome Stop(int graceMs = 1000, const std::function<void()>& wake = {});

private:
    std::thread thread_;
    Event stop_{Event::Reset::Manual};
    Event finished_{Event::Reset::Manual};
};

}  // namespace velnor7
