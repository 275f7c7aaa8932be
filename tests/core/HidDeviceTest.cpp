#include "core/HidDevice.h"
#include "support/SimulatedKeyboard.h"

#include <gtest/gtest.h>

#include <array>
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

TEST_F(HidDeviceTest, UnlimitedReadEndsWhenClosedFromAnotherThread) {
    CHidDevice device;
    ASSERT_EQ(device.Open(ConsumerPath(), true, false, true, false), 1);
    std::array<uint8_t, 64> report{};
    Clock::time_point ended;
    int result = -1;
    std::thread reader([&] {
        result = device.Read(report.data(), report.size(), -1, nullptr);
        ended = Clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(device.Reading());
    const auto closed = Clock::now();
    device.Close();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(ended - closed, std::chrono::milliseconds(50));
    EXPECT_FALSE(device.Reading());
}

TEST_F(HidDeviceTest, UnlimitedReadEndsWhenTheDeviceIsPulledOut) {
    CHidDevice device;
    ASSERT_EQ(device.Open(ConsumerPath(), true, false, true, false), 1);
    std::array<uint8_t, 64> report{};
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        bus_->Unplug(busNumber_);
    });
    const auto started = Clock::now();
    EXPECT_EQ(device.Read(report.data(), report.size(), -1, nullptr), 0);
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(500));
    unplug.join();
}

TEST_F(HidDeviceTest, ReadTimesOutWhenNothingArrives) {
    CHidDevice device;
    ASSERT_EQ(device.Open(CommandPath(), true, true, true, false), 1);
    std::array<uint8_t, 64> report{};
    const auto started = Clock::now();
    EXPECT_EQ(device.Read(report.data(), report.size(), 40, nullptr), 0);
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(35));
    EXPECT_LT(waited, std::chrono::milliseconds(400));
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
