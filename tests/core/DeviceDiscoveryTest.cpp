// Discovery over the simulated bus: arrivals in the scan, removals in the presence check,
// the first-scan signal, and the thread and its stop.
#include "support/ObservedHidBackend.h"
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

    // The cycle that lets the first go takes the second: one change of the bus, one wake-up.
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(discovery_.Cycle());
    const Events events = listener_.Take();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(Events(events.begin(), events.begin() + 2), (Events{"removed 0", "removed 1"}));
    EXPECT_EQ(Sorted(Events(events.begin() + 2, events.end())), (Events{"arrived 0", "arrived 1"}));
    EXPECT_NE(slots_[0].path, firstPath);
    ASSERT_TRUE(discovery_.Cycle());
    EXPECT_TRUE(listener_.Take().empty());
    bus_->Unplug(second);
}

// How soon a removal is seen is the rule of Cycle() above (the very next cycle reports
// it); the thread only has to run cycles by itself until it is stopped: on the bus's word
// where the bus tells of its changes, every 100 ms where it cannot.
class DiscoveryThreadTest : public DeviceDiscoveryTest, public ::testing::WithParamInterface<bool> {
protected:
    bool Watchable() const { return GetParam(); }
};

TEST_P(DiscoveryThreadTest, AttachesAndFreesByItselfAndSaysWhenItStops) {
    auto observed = std::make_shared<testing::ObservedHidBackend>(bus_);
    observed->SetWatchable(Watchable());
    SetHidBackend(observed);
    TraceCapture trace;
    discovery_.Start();
    EXPECT_EQ(discovery_.Watching(), Watchable());
    Events events;
    const auto collect = [&](size_t count) {
        return testing::WaitUntil([&] {
            for (std::string& e : listener_.Take()) events.push_back(std::move(e));
            return events.size() >= count;
        });
    };
    ASSERT_TRUE(collect(3));
    EXPECT_EQ(Sorted(events), (Events{"arrived 0", "arrived 1", "first scan"}));
    // Told of every change, the thread lists the bus once at start and then only for one.
    if (Watchable()) {
        EXPECT_EQ(discovery_.Enumerations(), 1);
    }
    events.clear();
    // The unplug may fall between the presence checks of the two slots of one cycle; then
    // the second slot is reported first, and the first in the next cycle.
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(collect(2));
    EXPECT_EQ(Sorted(events), (Events{"removed 0", "removed 1"}));
    events.clear();
    busNumber_ = bus_->Plug(keyboard_);
    ASSERT_TRUE(collect(2));
    EXPECT_EQ(Sorted(events), (Events{"arrived 0", "arrived 1"}));
    discovery_.Stop();
    // Only changes wake the thread: the start's cycle and one per change (the unplug, the plug;
    // changes that come together wake it once), each listing the bus at most twice. How the
    // two changes fall between the cycles depends on the machine's load.
    if (Watchable()) {
        EXPECT_GE(discovery_.Enumerations(), 2);
        EXPECT_LE(discovery_.Enumerations(), 2 * 3);
    }
    EXPECT_TRUE(trace.Contains("抓取设备线程设定退出"));
    EXPECT_EQ(trace.Contains("the HID bus does not tell of arrivals and removals; it is looked at every 100 ms"),
              !Watchable());
}

INSTANTIATE_TEST_SUITE_P(BusThatTellsOfChanges, DiscoveryThreadTest, ::testing::Values(true));
INSTANTIATE_TEST_SUITE_P(BusThatIsPolled, DiscoveryThreadTest, ::testing::Values(false));

}  // namespace
}  // namespace velnor7
