// Discovery over the simulated bus: arrivals in the scan, removals in the presence check,
// the first-scan signal, and the thread and its stop.
#include "support/SimulatedKeyboard.h"
#include "support/WaitUntil.h"

#include "common/Trace.h"
#include "core/DeviceDiscovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace velnor7 {
namespace {

class RecordingListener : public IDiscoveryListener {
public:
    void DeviceArrived(int slot) override { Add("arrived " + std::to_string(slot)); }
    void DeviceRemoved(int slot) override { Add("removed " + std::to_string(slot)); }
    void FirstScanDone() override { Add("first scan"); }
    void DeviceRefused(const std::string& path) override { Add("refused " + path); }

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

// How soon a removal is seen is the rule of Cycle() above (the very next cycle reports
// it); the thread only has to run cycles by itself until it is stopped.
TEST_F(DeviceDiscoveryTest, TheThreadAttachesAndFreesByItselfAndSaysWhenItStops) {
    TraceCapture trace;
    discovery_.Start();
    Events events;
    const auto collect = [&](size_t count) {
        return testing::WaitUntil([&] {
            for (std::string& e : listener_.Take()) events.push_back(std::move(e));
            return events.size() >= count;
        });
    };
    ASSERT_TRUE(collect(3));
    EXPECT_EQ(Sorted(events), (Events{"arrived 0", "arrived 1", "first scan"}));
    events.clear();
    // The unplug may fall between the presence checks of the two slots of one cycle; then
    // the second slot is reported first, and the first in the next cycle.
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(collect(2));
    EXPECT_EQ(Sorted(events), (Events{"removed 0", "removed 1"}));
    discovery_.Stop();
    EXPECT_TRUE(trace.Contains("抓取设备线程设定退出"));
}

}  // namespace
}  // namespace velnor7
