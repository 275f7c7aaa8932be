// The lit device emulator driven from the device's side: raw 64-byte frames in,
// captured replies out. Only the bus test goes through the simulated bus, to
// show that it finds the device's collections and routes the replies.
#include "sim/LitDeviceEmulator.h"

#include "sim/SimulatedHidBus.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <thread>

namespace velnor7 {
namespace {

using Frame = LitDeviceEmulator::Frame;
using Bytes = std::vector<uint8_t>;

struct CapturingLink : VirtualHidHostLink {
    void SendInputReport(uint8_t, std::span<const uint8_t> report) override {
        std::lock_guard lock(mutex);
        reports.emplace_back(report.begin(), report.end());
    }
    void RequestUnplug() override {}
    std::vector<Bytes> Reports() const {
        std::lock_guard lock(mutex);
        return reports;
    }
    mutable std::mutex mutex;
    std::vector<Bytes> reports;
};

uint16_t SumOfBytes3To63(std::span<const uint8_t> frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

// A request as the host builds it; `frame` holds what the previous chunk left past the payload.
Frame Request(uint8_t command, size_t length, size_t offset, std::span<const uint8_t> payload = {}, Frame frame = {}) {
    std::copy(payload.begin(), payload.end(), frame.begin() + 8);
    frame[0] = 4, frame[3] = command, frame[4] = static_cast<uint8_t>(length);
    frame[5] = static_cast<uint8_t>(offset), frame[6] = static_cast<uint8_t>(offset >> 8);
    const uint16_t sum = SumOfBytes3To63(frame);
    frame[1] = static_cast<uint8_t>(sum), frame[2] = static_cast<uint8_t>(sum >> 8);
    return frame;
}

Bytes Ramp(size_t size, uint8_t start) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(start + 7 * i);
    return bytes;
}

struct Bench {
    explicit Bench(LitDeviceConfig config = {}) : device(config) { device.Plugged(link); }

    // The reply to one request, or nothing when the device stayed silent.
    std::optional<Bytes> Send(const Frame& request) {
        const size_t before = link.Reports().size();
        device.HandleOutputReport(device.Config().commandInterface, request);
        const auto reports = link.Reports();
        if (reports.size() == before) return std::nullopt;
        const Bytes& reply = reports.back();
        EXPECT_EQ(reply[1] | reply[2] << 8, SumOfBytes3To63(reply)) << "reply checksum";
        EXPECT_TRUE(std::equal(reply.begin() + 4, reply.begin() + 7, request.begin() + 4)) << "length, offset echo";
        return reply;
    }
    uint8_t Status(const Frame& request) {
        const auto reply = Send(request);
        if (!reply) return 0xEE;
        EXPECT_EQ((*reply)[3], request[3]) << "command echo";
        return (*reply)[7];
    }
    Bytes Read(uint8_t command, size_t total, size_t offset = 0) {
        Bytes data;
        for (size_t done = 0; done < total; done += 56) {
            const size_t chunk = std::min<size_t>(56, total - done);
            const auto reply = Send(Request(command, chunk, offset + done));
            if (!reply || (*reply)[7] != 0) return {};
            data.insert(data.end(), reply->begin() + 8, reply->begin() + 8 + static_cast<long>(chunk));
        }
        return data;
    }
    // Chunked as the host does it: one request buffer cleared once, so a short
    // last chunk keeps the previous chunk's bytes past its own payload.
    // Returns the statuses; stops after the first chunk that is not answered 0.
    std::vector<uint8_t> Write(uint8_t command, const Bytes& bytes, size_t offset = 0) {
        std::vector<uint8_t> statuses;
        Frame frame{};
        for (size_t done = 0; done < bytes.size(); done += 56) {
            const size_t chunk = std::min<size_t>(56, bytes.size() - done);
            frame = Request(command, chunk, offset + done, std::span(bytes).subspan(done, chunk), frame);
            statuses.push_back(Status(frame));
            if (statuses.back() != 0) break;
        }
        return statuses;
    }

    CapturingLink link;
    LitDeviceEmulator device;
};

// {usage page, usage, report ID} of each top-level collection.
std::vector<std::array<uint32_t, 3>> TopLevelCollections(const Bytes& descriptor) {
    std::vector<std::array<uint32_t, 3>> found;
    uint32_t usagePage = 0, usage = 0;
    int depth = 0;
    for (size_t i = 0; i < descriptor.size();) {
        const uint8_t prefix = descriptor[i];
        const size_t size = (prefix & 3) == 3 ? 4 : prefix & 3;
        uint32_t value = 0;
        for (size_t b = 0; b < size; ++b) value |= static_cast<uint32_t>(descriptor.at(i + 1 + b)) << (8 * b);
        i += 1 + size;
        if ((prefix & 0xFC) == 0x04) usagePage = value;
        if ((prefix & 0xFC) == 0x08) usage = value;
        if ((prefix & 0xFC) == 0x84 && depth == 1) found.back()[2] = value;
        if ((prefix & 0xFC) == 0xA0 && depth++ == 0) found.push_back({usagePage, usage, 0});
        if ((prefix & 0xFC) == 0xC0) --depth;
    }
    EXPECT_EQ(depth, 0);
    return found;
}

TEST(LitDeviceEmulatorBus, CollectionsSitWhereTheHostLooksAndAnswerOverTheBus) {
    const LitDeviceEmulator pad;
    const auto interfaces = pad.Interfaces();
    ASSERT_EQ(interfaces.size(), 1u);
    EXPECT_EQ(interfaces[0].number, 1);
    EXPECT_EQ(TopLevelCollections(interfaces[0].reportDescriptor),
              (std::vector<std::array<uint32_t, 3>>{{0xFF00, 1, 1}, {0xFF00, 2, 2}, {0x0C, 1, 3}, {0xFF1C, 0x92, 4}}));

    // Without a consumer collection the command collection is alone, whatever its usage.
    const LitDeviceEmulator single({.commandInterface = 3, .commandUsagePage = 0x0C, .commandUsage = 0x0161,
                                    .commandReportId = 3, .hasConsumerCollection = false});
    EXPECT_EQ(single.Interfaces()[0].number, 3);
    EXPECT_EQ(TopLevelCollections(single.Interfaces()[0].reportDescriptor),
              (std::vector<std::array<uint32_t, 3>>{{0x0C, 0x0161, 3}}));

    // The bus parses the descriptor into one path per collection; the last is the command collection.
    const auto bus = std::make_shared<SimulatedHidBus>();
    const auto device = std::make_shared<LitDeviceEmulator>();
    bus->Plug(device);
    std::vector<std::string> paths;
    ASSERT_TRUE(bus->Enumerate(paths));
    ASSERT_EQ(paths.size(), 4u);
    HidOpenMode mode;
    mode.read = true, mode.write = true;
    const auto connection = bus->Open(paths[3], mode).connection;
    ASSERT_TRUE(connection);
    const Frame query = Request(0xAA, 0, 0);
    ASSERT_EQ(connection->Write(query.data(), query.size()), 64);
    Frame reply{};
    ASSERT_EQ(connection->Read(reply.data(), reply.size(), 1000), 64);
    EXPECT_EQ((Bytes{reply[0], reply[3], reply[7], reply[8]}), (Bytes{4, 0xAA, 0, 0xFF}));

    EXPECT_THROW(LitDeviceEmulator(LitDeviceConfig{.ledCount = 0}), std::invalid_argument);
    EXPECT_THROW(LitDeviceEmulator(LitDeviceConfig{.ledCount = 171}), std::invalid_argument);
    EXPECT_THROW(LitDeviceEmulator(LitDeviceConfig{.commandReportId = 3}), std::invalid_argument);
}

TEST(LitDeviceEmulatorStream, FramesAreRecordedWhenTheirLastByteArrives) {
    Bench bench({.ledCount = 40});  // 120 bytes: chunks of 56, 56 and 8
    const Bytes first = Ramp(120, 1), second = Ramp(120, 2);
    EXPECT_EQ(bench.Write(0x12, Bytes(first.begin(), first.begin() + 112)), (Bytes{0, 0}));
    EXPECT_TRUE(bench.device.StreamedFrames().empty());
    bench.Write(0x12, first);  // now with its last chunk: one frame
    bench.Write(0x12, second);
    EXPECT_EQ(bench.device.StreamedFrames(), (std::vector<Bytes>{first, second}));
    EXPECT_EQ(bench.device.LastStreamedFrame(), second);

    // A host streaming the whole 512-byte buffer still makes one frame; the
    // chunks past the LEDs complete nothing.
    bench.device.ClearStreamedFrames();
    EXPECT_TRUE(bench.device.LastStreamedFrame().empty());
    const Bytes buffer = Ramp(512, 3);
    EXPECT_EQ(bench.Write(0x12, buffer).size(), 10u);
    EXPECT_EQ(bench.device.StreamedFrames(), (std::vector<Bytes>{Bytes(buffer.begin(), buffer.begin() + 120)}));

    // Only the chunk covering the last byte arrived: the LEDs show it over the previous frame.
    EXPECT_EQ(bench.Status(Request(0x12, 8, 112, Bytes(8, 0xAB))), 0);
    Bytes patched(buffer.begin(), buffer.begin() + 120);
    std::fill(patched.begin() + 112, patched.end(), 0xAB);
    EXPECT_EQ(bench.device.LastStreamedFrame(), patched);
    EXPECT_EQ(bench.device.StreamedFrameCount(), 2u);

    // A frame of a multiple of 56 bytes ends on a full chunk.
    Bench even({.ledCount = 56});
    const Bytes frame = Ramp(168, 4);
    even.Write(0x12, frame);
    EXPECT_EQ(even.device.StreamedFrames(), (std::vector<Bytes>{frame}));
}

TEST(LitDeviceEmulatorRefusals, RefusedAndFaultedRequestsChangeNothing) {
    Bench bench;  // 20 LEDs: one frame is 60 bytes
    Frame badSum = Request(0x12, 56, 4, Ramp(56, 5));
    badSum[63] ^= 1;  // outside the payload, still covered by the checksum
    EXPECT_EQ(bench.Status(badSum), 0xFF);

    // Ranges partly past the frame buffer, parameters, information block, power
    // status and LED pages; a chunk over 56; key, macro and unknown commands.
    const std::vector<Frame> refused{
        Request(0x12, 20, 500, Bytes(20, 1)), Request(0x06, 2, 255, Bytes{1, 1}), Request(0x05, 1, 256),
        Request(0x03, 8, 30), Request(0x1A, 1, 6), Request(0x0B, 1, 4096, Bytes{1}), Request(0x12, 57, 0),
        Request(0x07, 3, 0), Request(0x09, 3, 0, Bytes{1, 1, 1}), Request(0x15, 1, 0, Bytes{1}),
        Request(0x1B, 1, 0), Request(0x04, 0, 0)};
    for (const Frame& request : refused) EXPECT_EQ(bench.Status(request), 0xFE) << int{request[3]};
    EXPECT_TRUE(bench.device.StreamedFrames().empty());
    EXPECT_EQ(bench.device.StreamedFrameCount(), 0u);
    EXPECT_EQ(bench.device.ParameterMemory(), Bytes(256, 0));

    // Other report IDs are kept but neither answered nor applied.
    Frame otherId = Request(0x12, 56, 4, Ramp(56, 5));
    otherId[0] = 3;
    EXPECT_FALSE(bench.Send(otherId));
    EXPECT_TRUE(bench.device.StreamedFrames().empty());
    EXPECT_EQ(bench.device.ReceivedRequests().size(), 2 + refused.size());
    EXPECT_EQ(bench.device.ReceivedRequests().front(), badSum);

    // At 170 LEDs a chunk straddling the buffer's end covers the last LED byte, yet is refused.
    Bench full({.ledCount = 170});
    EXPECT_EQ(full.Status(Request(0x12, 40, 480, Bytes(40, 1))), 0xFE);
    EXPECT_TRUE(full.device.StreamedFrames().empty());

    // Injected faults: a chunk left unanswered or given a status is not applied; a wrong echo is.
    Bench faulty({.ledCount = 10});  // one 30-byte chunk per frame
    const auto stream = [&](uint8_t seed) { return faulty.Send(Request(0x12, 30, 0, Ramp(30, seed))); };
    faulty.device.InjectNoAnswer();
    faulty.device.InjectStatus(0xFE, 2);
    EXPECT_FALSE(stream(1));
    EXPECT_EQ((*stream(2))[7], 0xFE);
    faulty.device.InjectWrongEcho();
    EXPECT_EQ((*stream(3))[3], 0x92);
    EXPECT_EQ(faulty.device.StreamedFrames(), (std::vector<Bytes>{Ramp(30, 3)}));
}

TEST(LitDeviceEmulatorMemory, InformationParametersPowerStatusAndTransaction) {
    Bench bench({.firmwareVersion = 0x0207, .ledCount = 15});
    const Bytes info = bench.Read(0x03, 34);
    ASSERT_EQ(info.size(), 34u);
    // Mouse pad, 15 LEDs, no keys, no macro memory, firmware version low byte first.
    EXPECT_EQ((Bytes{info[0], info[4], info[5], info[6], info[32], info[33]}), (Bytes{3, 15, 0, 0, 0x07, 0x02}));

    const Bytes block = Ramp(60, 9);
    EXPECT_EQ(bench.Write(0x06, block, 64), (Bytes{0, 0}));
    EXPECT_EQ(bench.Read(0x05, 60, 64), block);
    Bytes parameters(256, 0);
    std::copy(block.begin(), block.end(), parameters.begin() + 64);
    EXPECT_EQ(bench.device.ParameterMemory(), parameters);

    bench.Write(0x0B, Ramp(45, 6), 2 * 512);
    const Bytes page = bench.device.LedPage(2);
    EXPECT_EQ(Bytes(page.begin(), page.begin() + 45), Ramp(45, 6));
    EXPECT_EQ(bench.device.LedPage(1), Bytes(512, 0));
    EXPECT_TRUE(bench.device.LedPage(8).empty());

    EXPECT_EQ(bench.Read(0x1A, 6), (Bytes{100, 0, 0, 0, 0, 0}));
    bench.device.SetPowerStatus({35, 1, 0, 1, 0, 2});
    EXPECT_EQ(bench.Read(0x1A, 6), (Bytes{35, 1, 0, 1, 0, 2}));
    EXPECT_EQ(bench.Read(0x1A, 2, 4), (Bytes{0, 2}));

    EXPECT_TRUE(bench.Status(Request(0x01, 0, 0)) == 0 && bench.device.InConfiguration());
    EXPECT_TRUE(bench.Status(Request(0x02, 0, 0)) == 0 && !bench.device.InConfiguration());
    EXPECT_EQ((*bench.Send(Request(0xAA, 0, 0)))[8], 0xFF);

    EXPECT_TRUE(bench.device.SendNotification(0x401));
    EXPECT_EQ(bench.link.Reports().back(), (Bytes{3, 0x01, 0x04}));
    EXPECT_FALSE(Bench({.hasConsumerCollection = false}).device.SendNotification(0x401));
}

TEST(LitDeviceEmulatorThreads, ConcurrentStreamsAreAllCounted) {
    Bench bench({.ledCount = 10});
    constexpr int kThreads = 4, kRounds = 50;
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&bench, t] {
            for (int round = 0; round < kRounds; ++round)
                bench.device.HandleOutputReport(1, Request(0x12, 30, 0, Bytes(30, static_cast<uint8_t>(t))));
        });
    threads.clear();  // joins
    EXPECT_EQ(bench.link.Reports().size(), size_t{kThreads * kRounds});
    const auto frames = bench.device.StreamedFrames();
    EXPECT_EQ(frames.size(), size_t{kThreads * kRounds});
    for (const Bytes& frame : frames) EXPECT_EQ(frame, Bytes(30, frame[0]));  // never a mix of two chunks
}

}  // namespace
}  // namespace velnor7
