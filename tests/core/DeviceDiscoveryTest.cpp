// Discovery over the simulated bus: arrivals in the scan, removals in the presence check,
// the first-scan signal, and the thread's pace and stop.
#include "support/SimulatedKeyboard.h"

#include "common/Trace.h"
#include "core/DeviceDiscovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace velnor7 {
namespace {

class RecordingListener : public IDiscoveryListener {
public:
    void DeviceArrived(int slot) override { Add("arrived " + std::to_string(slot)); }
    void DeviceRemoved(int slot) override { Add("removed " + std::to_string(slot)); }
    void FirstScanDone() override { Add("first scan"); }

    std::vector<std::string> Take() {
        std::lock_guard guard(lock_);
        return std::exchange(events_, {});
    }

private:
    void Add(std::string event) {
        std::lock_guard guard(lock_);
        events_.push_back(std::move(event));
    }
    std::mutex lock_;
    std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

// Arrivals come in the order of the bus's paths; compare them as a set.
Events Sorted(Events events) {
    std::sort(events.begin(), events.end());
    return events;
}

class DeviceDiscoveryTest : public testing::SimulatedKeyboardTest {
protected:
    DeviceSlotList slots_ = MakeDeviceSlotList();
    RecordingListener listener_;
    CDeviceDiscovery discovery_{slots_, listener_};
};

TEST_F(DeviceDiscoveryTest, ADevicePresentAtStartIsAttachedInTheFirstScanWhichIsThenSignalled) {
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(Sorted(listener_.Take()), (Events{"arrived 0", "arrived 1", "first scan"}));
    EXPECT_EQ(slots_[0].path, CommandPath());
    EXPECT_EQ(slots_[1].path, ConsumerPath());
    EXPECT_EQ(slots_[0].present, 1);
    // Every slot that can take a device is taken: the next cycles only check presence.
    const int enumerations = discovery_.Enumerations();
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(discovery_.Enumerations(), enumerations);
    EXPECT_TRUE(listener_.Take().empty());
}

TEST_F(DeviceDiscoveryTest, WithoutADeviceTheFirstScanIsSignalledOnceAndAnUnplugFreesBothSlotsInOrder) {
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(discovery_.Cycle());
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(listener_.Take(), (Events{"first scan"}));

    busNumber_ = bus_->Plug(keyboard_);
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(Sorted(listener_.Take()), (Events{"arrived 0", "arrived 1"}));
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(listener_.Take(), (Events{"removed 0", "removed 1"}));
    EXPECT_TRUE(slots_[0].IsFree());
    EXPECT_TRUE(slots_[1].IsFree());
}

TEST_F(DeviceDiscoveryTest, ASecondKeyboardWaitsUntilTheFirstLeaves) {
    const int second = bus_->Plug(std::make_shared<KeyboardEmulator>());
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(Sorted(listener_.Take()), (Events{"arrived 0", "arrived 1", "first scan"}));
    const std::string firstPath = slots_[0].path;
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_TRUE(listener_.Take().empty());

    bus_->Unplug(busNumber_);
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(listener_.Take(), (Events{"removed 0", "removed 1"}));
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_EQ(Sorted(listener_.Take()), (Events{"arrived 0", "arrived 1"}));
    EXPECT_NE(slots_[0].path, firstPath);
    bus_->Unplug(second);
}

TEST_F(DeviceDiscoveryTest, TheThreadNoticesARemovalWithinAboutACycleAndSaysWhenItStops) {
    TraceCapture trace;
    discovery_.Start();
    for (int i = 0; i < 100 && listener_.Take().size() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    listener_.Take();
    const auto unplugged = std::chrono::steady_clock::now();
    bus_->Unplug(busNumber_);
    Events events;
    while (events.size() < 2 && std::chrono::steady_clock::now() - unplugged < std::chrono::seconds(2)) {
        for (std::string& e : listener_.Take()) events.push_back(std::move(e));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(events, (Events{"removed 0", "removed 1"}));
    EXPECT_LT(std::chrono::steady_clock::now() - unplugged, std::chrono::milliseconds(250));
    discovery_.Stop();
    EXPECT_TRUE(trace.Contains("抓取设备线程设定退出"));
}

}  // namespace
}  // namespace velnor7
