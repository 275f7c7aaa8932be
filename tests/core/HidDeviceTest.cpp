#include "core/HidDevice.h"
#include "support/ObservedHidBackend.h"
#include "support/SimulatedKeyboard.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

namespace velnor7 {
namespace {

using Clock = std::chrono::steady_clock;
using HidDeviceTest = testing::SimulatedKeyboardTest;

TEST_F(HidDeviceTest, EnumerationListsEveryCollectionOfEveryDevice) {
    CHidDevice device;
    ASSERT_TRUE(device.Enumerate());
    EXPECT_EQ(device.PathCount(), 5u) << "boot interface plus four collections of interface 1";
    // More devices than the first list had room for.
    bus_->Plug(std::make_shared<KeyboardEmulator>());
    bus_->Plug(std::make_shared<KeyboardEmulator>());
    ASSERT_TRUE(device.Enumerate());
    size_t listed = 0;
    while (device.NextPath()) ++listed;
    EXPECT_EQ(listed, 15u);
    EXPECT_FALSE(device.NextPath());
}

TEST_F(HidDeviceTest, OpenReadsAttributesCapabilitiesAndPathNumbers) {
    CHidDevice device;
    ASSERT_EQ(device.Open(CommandPath(), true, true, true, false), 1);
    EXPECT_EQ(device.Attributes().vendorId, 0xF0E1);
    EXPECT_EQ(device.Attributes().productId, 0x5004);
    EXPECT_EQ(device.Attributes().versionNumber, KeyboardEmulator::kFirmwareVersion);
    EXPECT_EQ(device.Capabilities().usagePage, 0xFF1C);
    EXPECT_EQ(device.Capabilities().usage, 0x92);
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 64);
    EXPECT_EQ(device.Capabilities().outputReportByteLength, 64);
    EXPECT_EQ(device.InterfaceNumber(), 1);
    EXPECT_EQ(device.CollectionNumber(), 4);
    EXPECT_EQ(device.InputReportBuffer().size(), 64u);

    CHidDevice boot;
    ASSERT_EQ(boot.Open(PathEndingWith("&mi_00"), true, false, true, false), 1);
    EXPECT_EQ(boot.CollectionNumber(), 0) << "a single-collection interface has no &col key";
    EXPECT_EQ(boot.Capabilities().usage, 6);
}

TEST_F(HidDeviceTest, PresenceOpenNeedsNoAccessButTransfersNothing) {
    CHidDevice device;
    ASSERT_EQ(device.Open(CommandPath(), false, false, false, false), 1);
    EXPECT_EQ(device.Capabilities().usagePage, 0xFF1C);
    std::array<uint8_t, 64> report{4};
    size_t count = 99;
    EXPECT_EQ(device.Write(report.data(), report.size(), 1000, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(device.Read(report.data(), report.size(), 0, &count), 0);

    const std::string path = CommandPath();
    bus_->Unplug(busNumber_);
    EXPECT_EQ(device.Open(path, false, false, false, false), 0);
    EXPECT_EQ(device.Open("sim:9#vid_f0e1&pid_5004&mi_01&col04", true, true, true, false), 0);
    EXPECT_FALSE(device.IsOpen());
}

// Whether a waiting read ends at once is told by counting backend waits: with a backend
// whose waits last until something happens, the read must end after its one wait, and
// by the event the test caused.
class WaitingReadTest : public HidDeviceTest {
protected:
    void SetUp() override {
        HidDeviceTest::SetUp();
        observed_ = std::make_shared<testing::ObservedHidBackend>(bus_, true);
        SetHidBackend(observed_);
    }

    // Starts an unlimited read on another thread and returns once it waits in the backend.
    void StartWaitingRead(CHidDevice& device) {
        reader_ = std::thread([this, &device] {
            std::array<uint8_t, 64> report{};
            result_ = device.Read(report.data(), report.size(), -1, nullptr);
            ended_ = true;
        });
        EXPECT_TRUE(testing::WaitUntil([this] { return observed_->Seen().reads.load() > 0; }));
    }
    // Joins the reader; a reader the test's event did not end is ended by a close as well
    // as an unplug, so that a fault fails the test instead of hanging it.
    void JoinReader(CHidDevice& device) {
        if (!testing::WaitUntil([this] { return ended_.load(); })) {
            ADD_FAILURE() << "the read did not end";
            device.Close();
            bus_->Unplug(busNumber_);
        }
        reader_.join();
    }

    std::shared_ptr<testing::ObservedHidBackend> observed_;
    std::thread reader_;
    std::atomic<int> result_{-1};
    std::atomic<bool> ended_{false};
};

TEST_F(WaitingReadTest, AnUnlimitedReadEndsAtOnceWhenClosedFromAnotherThread) {
    CHidDevice device;
    ASSERT_EQ(device.Open(ConsumerPath(), true, false, true, false), 1);
    StartWaitingRead(device);
    EXPECT_TRUE(device.Reading());
    device.Close();
    JoinReader(device);
    EXPECT_EQ(result_.load(), 0);
    EXPECT_FALSE(device.Reading());
    EXPECT_EQ(observed_->Seen().interrupts.load(), 1) << "the close wakes the waiting backend read";
    EXPECT_EQ(observed_->Seen().reads.load(), 1) << "the read ends with the wait the close ended";
}

TEST_F(WaitingReadTest, AnUnlimitedReadEndsAtOnceWhenTheDeviceIsPulledOut) {
    CHidDevice device;
    ASSERT_EQ(device.Open(ConsumerPath(), true, false, true, false), 1);
    StartWaitingRead(device);
    bus_->Unplug(busNumber_);
    JoinReader(device);
    EXPECT_EQ(result_.load(), 0);
    EXPECT_EQ(observed_->Seen().failedReads.load(), 1);
    EXPECT_EQ(observed_->Seen().reads.load(), 1) << "a gone device is not waited on again";
}

TEST_F(HidDeviceTest, ReadWaitsOutItsWholeTimeOutWhenNothingArrives) {
    const auto observed = std::make_shared<testing::ObservedHidBackend>(bus_);
    SetHidBackend(observed);
    CHidDevice device;
    ASSERT_EQ(device.Open(CommandPath(), true, true, true, false), 1);
    // The read's clock moves exactly as far as the backend was asked to wait.
    const auto started = Clock::now();
    device.SetClock([&] { return started + std::chrono::milliseconds(observed->Seen().waitedMs.load()); });
    std::array<uint8_t, 64> report{};
    EXPECT_EQ(device.Read(report.data(), report.size(), 40, nullptr), 0);
    EXPECT_EQ(observed->Seen().waitedMs.load(), 40) << "neither less than the time-out, nor more";
    EXPECT_EQ(observed->Seen().reads.load(), 1) << "in one wait: a close interrupts it, nothing needs to look";
    EXPECT_EQ(observed->Seen().emptyReads.load(), 1);
}

TEST_F(HidDeviceTest, NotificationsReachOnlyTheConsumerCollectionAndDecodeToTheirCode) {
    CHidDevice consumer;
    CHidDevice command;
    ASSERT_EQ(consumer.Open(ConsumerPath(), true, false, true, false), 1);
    ASSERT_EQ(command.Open(CommandPath(), true, true, true, false), 1);
    ASSERT_TRUE(keyboard_->SendNotification(0x401));
    ASSERT_TRUE(keyboard_->PressKey(7));

    std::vector<uint8_t>& buffer = consumer.InputReportBuffer();
    std::vector<HidDataItem>& items = consumer.InputDataItems();
    ASSERT_FALSE(items.empty());
    size_t received = 0;
    ASSERT_EQ(consumer.Read(buffer.data(), buffer.size(), 200, &received), 1);
    ASSERT_TRUE(consumer.UnpackReport(items, buffer.data(), received, HidReportType::Input));
    EXPECT_TRUE(items[0].isButtonData);
    EXPECT_TRUE(items[0].isSet);
    EXPECT_EQ(items[0].usages[0], 0x401);

    ASSERT_EQ(consumer.Read(buffer.data(), buffer.size(), 200, &received), 1);
    ASSERT_TRUE(consumer.UnpackReport(items, buffer.data(), received, HidReportType::Input));
    EXPECT_EQ(items[0].usages[0], 0x507);

    std::array<uint8_t, 64> report{};
    EXPECT_EQ(command.Read(report.data(), report.size(), 30, nullptr), 0)
        << "the command collection must not see consumer reports";
}

TEST_F(HidDeviceTest, UnpackIgnoresForeignAndEmptyReports) {
    CHidDevice consumer;
    ASSERT_EQ(consumer.Open(ConsumerPath(), true, false, true, false), 1);
    std::vector<HidDataItem> items = consumer.InputDataItems();
    const uint8_t foreign[] = {9, 0x01, 0x04};
    ASSERT_TRUE(consumer.UnpackReport(items, foreign, sizeof foreign, HidReportType::Input));
    EXPECT_FALSE(items[0].isSet);
    const uint8_t released[] = {3, 0, 0};
    ASSERT_TRUE(consumer.UnpackReport(items, released, sizeof released, HidReportType::Input));
    EXPECT_EQ(items[0].usages[0], 0) << "no usage is on";
    EXPECT_FALSE(consumer.UnpackReport(items, released, 0, HidReportType::Input));
}

}  // namespace
}  // namespace velnor7
