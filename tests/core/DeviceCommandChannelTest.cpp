#include "common/Trace.h"
#include "core/DeviceCommandChannel.h"
#include "sim/VirtualHidDevice.h"
#include "support/ObservedHidBackend.h"
#include "support/SimulatedKeyboard.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <numeric>
#include <span>
#include <thread>
#include <vector>

namespace velnor7 {
namespace {

using Frame = KeyboardEmulator::Frame;

uint16_t OffsetOf(const Frame& request) { return static_cast<uint16_t>(request[5] | (request[6] << 8)); }

bool ChecksumValid(const Frame& request) {
    Report copy;
    std::copy(request.begin(), request.end(), copy.begin());
    StoreChecksum(copy);
    return copy[1] == request[1] && copy[2] == request[2];
}

std::vector<uint8_t> Counting(size_t length, uint8_t first = 1) {
    std::vector<uint8_t> bytes(length);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

class ChannelTest : public testing::SimulatedKeyboardTest {
protected:
    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        OpenChannel(channel_);
        keyboard_->ClearReceivedRequests();
    }
    std::vector<Frame> Sent() const { return keyboard_->ReceivedRequests(); }

    CDeviceCommandChannel channel_;
};

TEST_F(ChannelTest, DeviceInfoIsOneFramedRequest) {
    std::array<uint8_t, kDeviceInfoSize> info{};
    ASSERT_EQ(channel_.ReadDeviceInfo(info.data()), kResultOk);
    EXPECT_EQ(info[5], 126);
    EXPECT_EQ(info[6], KeyboardEmulator::kMacroUnits);
    const std::vector<uint8_t> expected = keyboard_->DeviceInfo();
    EXPECT_TRUE(std::equal(info.begin(), info.end(), expected.begin()));

    const std::vector<Frame> sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][0], 4);
    EXPECT_EQ(sent[0][3], kCmdReadDeviceInfo);
    EXPECT_EQ(sent[0][4], 34);
    EXPECT_EQ(OffsetOf(sent[0]), 0);
    EXPECT_EQ(sent[0][7], 0);
    EXPECT_TRUE(std::all_of(sent[0].begin() + 8, sent[0].end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(ChecksumValid(sent[0]));
}

TEST_F(ChannelTest, DataSizeDrivesKeyMapAndLedMapChunks) {
    EXPECT_EQ(channel_.SetDataSize(513), 0);
    EXPECT_EQ(channel_.DataSize(), 512);
    EXPECT_EQ(channel_.SetDataSize(512), 1);
    ASSERT_EQ(channel_.SetDataSize(378), 1);

    std::vector<uint8_t> ledMap(126);
    ASSERT_EQ(channel_.ReadKeyLedMap(ledMap.data()), kResultOk);
    EXPECT_EQ(ledMap, keyboard_->LedMap());
    std::vector<Frame> sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    const int lengths[] = {56, 56, 14};
    const int offsets[] = {0, 56, 112};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sent[i][3], kCmdReadKeyLedMap);
        EXPECT_EQ(sent[i][4], lengths[i]);
        EXPECT_EQ(OffsetOf(sent[i]), offsets[i]);
    }

    keyboard_->ClearReceivedRequests();
    std::vector<uint8_t> keyMap(378);
    ASSERT_EQ(channel_.ReadKeyMap(keyMap.data()), kResultOk);
    const std::vector<uint8_t> memory = keyboard_->KeyMapMemory();
    EXPECT_TRUE(std::equal(keyMap.begin(), keyMap.end(), memory.begin()));
    EXPECT_EQ(Sent().size(), 7u) << "378 bytes are 7 chunks of at most 56";
}

TEST_F(ChannelTest, LaterShorterChunkKeepsThePreviousPayloadPastItsOwn) {
    EXPECT_EQ(channel_.WriteParameters(nullptr, 0, 0), kResultOk);
    EXPECT_TRUE(Sent().empty()) << "an empty write sends nothing";

    const std::vector<uint8_t> data = Counting(60, 100);
    ASSERT_EQ(channel_.WriteParameters(data.data(), data.size(), 0), kResultOk);
    const std::vector<Frame> sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][4], 56);
    EXPECT_EQ(OffsetOf(sent[0]), 0);
    EXPECT_EQ(sent[1][4], 4);
    EXPECT_EQ(OffsetOf(sent[1]), 56);
    EXPECT_TRUE(std::equal(sent[1].begin() + 8, sent[1].begin() + 12, data.begin() + 56));
    EXPECT_TRUE(std::equal(sent[1].begin() + 12, sent[1].end(), sent[0].begin() + 12));
    EXPECT_TRUE(ChecksumValid(sent[0]));
    EXPECT_TRUE(ChecksumValid(sent[1]));

    std::vector<uint8_t> back(60);
    ASSERT_EQ(channel_.ReadParameters(back.data(), back.size(), 0), kResultOk);
    EXPECT_EQ(back, data);
}

TEST_F(ChannelTest, StaleReplyIsSkippedByEchoButTwoAreAFailure) {
    // A reply nobody read (a late answer) waits in the queue.
    Report stale{};
    stale[0] = kCommandReportId;
    stale[3] = kCmdBeginConfig;
    StoreChecksum(stale);
    ASSERT_EQ(channel_.Transport().Write(stale.data(), stale.size(), 1000, nullptr), 1);
    std::array<uint8_t, kDeviceInfoSize> info{};
    EXPECT_EQ(channel_.ReadDeviceInfo(info.data()), kResultOk);
    EXPECT_EQ(info[5], 126);

    // Two foreign replies ahead of ours: nothing trustworthy was read.
    ASSERT_EQ(channel_.Transport().Write(stale.data(), stale.size(), 1000, nullptr), 1);
    ASSERT_EQ(channel_.Transport().Write(stale.data(), stale.size(), 1000, nullptr), 1);
    info.fill(0xAA);
    EXPECT_EQ(channel_.ReadDeviceInfo(info.data()), kResultNotOpenOrReadFailed);
    EXPECT_EQ(info[5], 0xAA) << "the foreign reply's data must not be taken";
}

TEST_F(ChannelTest, StatusBytesMapToErrorsAndStopTheTransfer) {
    keyboard_->InjectStatus(0xFF, 1);
    EXPECT_EQ(channel_.BeginConfig(), kResultStatusFF);

    const std::vector<uint8_t> before = keyboard_->MacroMemory();
    const std::vector<uint8_t> blob = Counting(150);
    keyboard_->ClearReceivedRequests();
    keyboard_->InjectStatus(0xFE, 3);
    EXPECT_EQ(channel_.WriteMacroData(blob.data(), blob.size()), kResultStatusFE);
    EXPECT_EQ(Sent().size(), 3u);
    const std::vector<uint8_t> after = keyboard_->MacroMemory();
    EXPECT_TRUE(std::equal(blob.begin(), blob.begin() + 112, after.begin())) << "earlier chunks are not undone";
    EXPECT_TRUE(std::equal(after.begin() + 112, after.begin() + 150, before.begin() + 112));
}

TEST_F(ChannelTest, KeyMapWriteNeedsBankZero) {
    const std::vector<uint8_t> map(512, 0x20);
    EXPECT_EQ(channel_.WriteKeyMap(map.data(), 1), kResultBadBank);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ChannelTest, ClosedChannelSendsNothing) {
    channel_.SetOpen(false);
    std::vector<uint8_t> buffer(512, 1);
    EXPECT_EQ(channel_.BeginConfig(), 0);
    EXPECT_EQ(channel_.EndConfig(), 0);
    EXPECT_EQ(channel_.ReadDeviceInfo(buffer.data()), 0);
    EXPECT_EQ(channel_.ReadParameters(buffer.data(), 26, 0), 0);
    EXPECT_EQ(channel_.WriteParameters(buffer.data(), 26, 0), 0);
    EXPECT_EQ(channel_.ReadKeyMap(buffer.data()), 0);
    EXPECT_EQ(channel_.WriteKeyMap(buffer.data(), 0), 0);
    EXPECT_EQ(channel_.WriteLedFrame(buffer.data(), 378, 0, 512), 0);
    EXPECT_EQ(channel_.StreamLedFrame(buffer.data(), 378), 0);
    EXPECT_EQ(channel_.WriteMacroData(buffer.data(), 100), 0);
    EXPECT_EQ(channel_.ReadPowerStatus(buffer.data(), 6, 0), 0);
    EXPECT_EQ(channel_.ReadKeyLedMap(buffer.data()), 0);
    EXPECT_FALSE(channel_.QueryLink());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ChannelTest, LightCommandsLandInTheirPagesAndRefuseWrappingOffsets) {
    const std::vector<uint8_t> colours = Counting(378);
    ASSERT_EQ(channel_.WriteLedFrame(colours.data(), colours.size(), 1, 512), kResultOk);
    const std::vector<uint8_t> page = keyboard_->LedPage(1);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), page.begin()));
    EXPECT_EQ(OffsetOf(Sent().front()), 512);

    keyboard_->ClearReceivedRequests();
    EXPECT_EQ(channel_.WriteLedFrame(colours.data(), colours.size(), 200, 512), kResultNotOpenOrReadFailed);
    EXPECT_EQ(channel_.WriteLedFrame(colours.data(), colours.size(), -1, 512), kResultNotOpenOrReadFailed);
    EXPECT_TRUE(Sent().empty());

    ASSERT_EQ(channel_.StreamLedFrame(colours.data(), colours.size()), kResultOk);
    EXPECT_EQ(Sent().size(), 7u);
    const std::vector<uint8_t> frame = keyboard_->LastStreamedFrame();
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), frame.begin()));
}

TEST_F(ChannelTest, SlowModeStreamsNothingButStillConfigures) {
    channel_.SetSlowMode(true);
    const std::vector<uint8_t> colours(378, 7);
    EXPECT_EQ(channel_.StreamLedFrame(colours.data(), colours.size()), kResultOk);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(channel_.BeginConfig(), kResultOk);
    EXPECT_EQ(Sent().size(), 1u);
}

// The keyboard with a gate in front of its command handling: a request held at the gate
// keeps its command's exchange in progress for as long as the test wants.
class GatedKeyboard final : public VirtualHidDevice {
public:
    explicit GatedKeyboard(std::shared_ptr<KeyboardEmulator> inner) : inner_(std::move(inner)) {}

    uint16_t VendorId() const override { return inner_->VendorId(); }
    uint16_t ProductId() const override { return inner_->ProductId(); }
    uint16_t VersionNumber() const override { return inner_->VersionNumber(); }
    std::vector<VirtualHidInterface> Interfaces() const override { return inner_->Interfaces(); }
    void Plugged(VirtualHidHostLink& link) override { inner_->Plugged(link); }
    void Unplugged() override { inner_->Unplugged(); }

    bool HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) override {
        {
            std::unique_lock lock(mutex_);
            if (holdNext_) {
                holdNext_ = false;
                held_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return !held_; });
            }
        }
        return inner_->HandleOutputReport(interfaceNumber, report);
    }

    void HoldNextRequest() {
        std::lock_guard lock(mutex_);
        holdNext_ = true;
    }
    bool Holding() const {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void Release() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }

private:
    const std::shared_ptr<KeyboardEmulator> inner_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool holdNext_ = false;  // guarded by mutex_
    bool held_ = false;      // guarded by mutex_
};

TEST_F(ChannelTest, FramesAreDroppedWhileACommandExchangeIsInProgress) {
    // The same keyboard, now behind the gate; the channel moves over to it.
    bus_->Unplug(busNumber_);
    auto gated = std::make_shared<GatedKeyboard>(keyboard_);
    busNumber_ = bus_->Plug(gated);
    OpenChannel(channel_);
    keyboard_->ClearReceivedRequests();

    TraceCapture trace;
    gated->HoldNextRequest();
    std::atomic<int> commandResult{99};
    std::thread command([this, &commandResult] { commandResult = channel_.BeginConfig(); });
    EXPECT_TRUE(testing::WaitUntil([&gated] { return gated->Holding(); }));
    EXPECT_TRUE(channel_.Busy());
    // On its own thread: a frame that waited for the held command would otherwise hang the test.
    std::atomic<int> frameResult{99};
    std::atomic<bool> frameDone{false};
    std::thread frame([this, &frameResult, &frameDone] {
        const std::vector<uint8_t> colours(120, 9);
        frameResult = channel_.StreamLedFrame(colours.data(), colours.size());
        frameDone = true;
    });
    EXPECT_TRUE(testing::WaitUntil([&frameDone] { return frameDone.load(); })) << "the frame waited for the command";
    gated->Release();
    frame.join();
    command.join();

    EXPECT_EQ(frameResult.load(), kResultOk) << "a dropped frame is no error";
    EXPECT_EQ(commandResult.load(), kResultOk);
    const std::vector<Frame> sent = Sent();
    ASSERT_EQ(sent.size(), 1u) << "only the command reached the device";
    EXPECT_EQ(sent[0][3], kCmdBeginConfig);
    EXPECT_TRUE(trace.Contains("放弃灯光数据"));
    EXPECT_FALSE(channel_.Busy());
}

TEST_F(ChannelTest, SingleRequestsAnswerLinkAndPower) {
    EXPECT_TRUE(channel_.QueryLink());
    std::array<uint8_t, 6> power{};
    ASSERT_EQ(channel_.ReadPowerStatus(power.data(), power.size(), 0), kResultOk);
    const std::vector<uint8_t> expected = keyboard_->PowerStatus();
    EXPECT_TRUE(std::equal(power.begin(), power.end(), expected.begin()));
    std::array<uint8_t, 64> tooLong{};
    EXPECT_EQ(channel_.ReadPowerStatus(tooLong.data(), 57, 0), kResultNotOpenOrReadFailed);
    keyboard_->InjectStatus(0xFE, 1);
    EXPECT_FALSE(channel_.QueryLink());
}

TEST_F(ChannelTest, ExchangesAreTracedAsCommandAndReplyDumps) {
    TraceCapture trace;
    ASSERT_EQ(channel_.BeginConfig(), kResultOk);
    const std::vector<std::string> lines = trace.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1],
              "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  "
              "00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(lines[4].substr(0, 2), "04");
    EXPECT_EQ(lines[4].substr(9, 2), "01") << "the echoed command";
}

TEST_F(ChannelTest, DeviceVanishingMidTransferFailsFast) {
    // Counted on the way to the device: failing fast means no read waits out its time-out.
    auto observed = std::make_shared<testing::ObservedHidBackend>(bus_);
    SetHidBackend(observed);
    OpenChannel(channel_);
    keyboard_->ClearReceivedRequests();

    keyboard_->UnplugAtRequest(2);
    const std::vector<uint8_t> blob = Counting(150);
    EXPECT_LE(channel_.WriteMacroData(blob.data(), blob.size()), 0);
    EXPECT_LE(channel_.BeginConfig(), 0);
    EXPECT_EQ(Sent().size(), 2u) << "nothing is sent after the chunk the device vanished at";
    EXPECT_EQ(observed->Seen().failedReads.load(), 1) << "the reply's read learns at once that the device is gone";
    EXPECT_EQ(observed->Seen().emptyReads.load(), 0) << "a read waited for a reply from a gone device";
}

TEST_F(ChannelTest, CommandsAndStreamedFramesInterleaveWithoutWrongData) {
    ASSERT_EQ(channel_.SetDataSize(378), 1);
    const std::vector<uint8_t> factory = keyboard_->KeyMapMemory();
    std::atomic<bool> done{false};
    std::thread frames([this, &done] {
        const std::vector<uint8_t> colours(378, 3);
        while (!done.load()) channel_.StreamLedFrame(colours.data(), colours.size());
    });
    int succeeded = 0;
    for (int i = 0; i < 20; ++i) {
        std::vector<uint8_t> map(378, 0xEE);
        const int result = channel_.ReadKeyMap(map.data());
        if (result != kResultOk) continue;
        ++succeeded;
        EXPECT_TRUE(std::equal(map.begin(), map.end(), factory.begin())) << "a successful read returns the key map";
    }
    done = true;
    frames.join();
    EXPECT_GT(succeeded, 0);
}

}  // namespace
}  // namespace velnor7
