#include "common/WorkerThread.h"

#include "common/Trace.h"

namespace velnor7 {

WorkerThread::~WorkerThread() { Stop(); }

void WorkerThread::Start(std::function<void(Event& stop)> body) {
    if (thread_.joinable()) return;
    stop_.Reset();
    finished_.Reset();
    thread_ = std::thread([this, body = std::move(body)] {
        body(stop_);
        finished_.Set();
    });
}

ThreadStopOutcome WorkerThread::Stop(int graceMs, const std::function<void()>& wake) {
    if (!thread_.joinable()) return ThreadStopOutcome::NotRunning;
    stop_.Set();
    if (wake) wake();
    const bool ended = finished_.Wait(graceMs);
    Trace(ended ? "线程退出：：对象处于激发状态\n" : "线程退出：：对象处于非激发状态，超时\n");
    thread_.join();
    return ended ? ThreadStopOutcome::Ended : ThreadStopOutcome::TimedOut;
}

}  // namespace velnor7
