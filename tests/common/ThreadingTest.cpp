#include "common/Event.h"
#include "common/Trace.h"
#include "common/WorkerThread.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace velnor7 {
namespace {

TEST(Event, AutomaticResetReleasesOneWaitManualStaysSet) {
    Event automatic(Event::Reset::Automatic);
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)) << "the first wait consumed the signal";

    Event manual(Event::Reset::Manual, true);
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(5));
}

TEST(Event, SetFromAnotherThreadEndsAnUnlimitedWait) {
    Event event(Event::Reset::Automatic);
    std::thread setter([&event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(-1));
    setter.join();
}

// A grace period no body that heeds its stop event runs out of, however busy the machine:
// the outcome, not the time taken, tells that the stop woke the body.
constexpr int kGenerousGraceMs = 10000;

TEST(WorkerThread, StopWakesTheBodyAndReportsANormalEnd) {
    TraceCapture trace;
    WorkerThread worker;
    std::atomic<int> loops{0};
    worker.Start([&loops](Event& stop) {
        while (!stop.Wait(1)) ++loops;
    });
    ASSERT_TRUE(testing::WaitUntil([&loops] { return loops.load() > 0; }));
    EXPECT_EQ(worker.Stop(kGenerousGraceMs), ThreadStopOutcome::Ended);
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态"));
    EXPECT_EQ(worker.Stop(), ThreadStopOutcome::NotRunning);
}

TEST(WorkerThread, SlowBodyIsReportedAsTimedOutAndStillJoined) {
    const std::string timedOut = "线程退出：：对象处于非激发状态，超时";
    TraceCapture trace;
    WorkerThread worker;
    std::atomic<bool> finished{false};
    worker.Start([&](Event& stop) {
        stop.Wait(-1);
        // Ends only once Stop has given up waiting, so the grace runs out whatever the pace.
        testing::WaitUntil([&] { return trace.Contains(timedOut); });
        finished = true;
    });
    EXPECT_EQ(worker.Stop(10), ThreadStopOutcome::TimedOut);
    EXPECT_TRUE(finished.load()) << "Stop returns only after the thread ended";
    EXPECT_TRUE(trace.Contains(timedOut));
}

TEST(WorkerThread, CanBeStartedAgainAfterAStop) {
    WorkerThread worker;
    std::atomic<int> runs{0};
    const auto body = [&runs](Event& stop) {
        ++runs;
        stop.Wait(-1);
    };
    worker.Start(body);
    worker.Stop();
    worker.Start(body);
    EXPECT_TRUE(worker.Running());
    worker.Stop();
    EXPECT_EQ(runs.load(), 2);
}

}  // namespace
}  // namespace velnor7
