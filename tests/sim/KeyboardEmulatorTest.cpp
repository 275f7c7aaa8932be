// The keyboard emulator driven from the device's side: raw 64-byte frames in,
// captured replies out, no host code involved.
#include "sim/KeyboardEmulator.h"

#include "common/JsonFile.h"

#include <gtest/gtest.h>
#include <json/writer.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace velnor7 {
namespace {

using Frame = KeyboardEmulator::Frame;
using Bytes = std::vector<uint8_t>;

class CapturingLink : public VirtualHidHostLink {
public:
    void SendInputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) override {
        std::lock_guard lock(mutex_);
        EXPECT_EQ(interfaceNumber, KeyboardEmulator::kCommandInterface);
        reports_.emplace_back(report.begin(), report.end());
    }
    void RequestUnplug() override { ++unplugRequests; }
    std::vector<Bytes> Reports() const {
        std::lock_guard lock(mutex_);
        return reports_;
    }
    int unplugRequests = 0;

private:
    mutable std::mutex mutex_;
    std::vector<Bytes> reports_;
};

Frame Request(uint8_t command, size_t length, size_t offset, std::span<const uint8_t> payload = {}) {
    Frame frame{};
    frame[0] = 4;
    frame[3] = command;
    frame[4] = static_cast<uint8_t>(length);
    frame[5] = static_cast<uint8_t>(offset);
    frame[6] = static_cast<uint8_t>(offset >> 8);
    std::copy(payload.begin(), payload.end(), frame.begin() + 8);
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += frame[i];
    frame[1] = static_cast<uint8_t>(sum);
    frame[2] = static_cast<uint8_t>(sum >> 8);
    return frame;
}

Bytes Ramp(size_t size, uint8_t start) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(start + i);
    return bytes;
}

Bytes Prefix(const Bytes& bytes, size_t size) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(size)); }

// A plugged keyboard and the host end of its link.
struct Bench {
    explicit Bench(std::string stateFile = {}) : device(std::move(stateFile)) { device.Plugged(link); }

    // The reply to one request, or nothing when the device stayed silent.
    std::optional<Bytes> Send(const Frame& request) {
        const size_t before = link.Reports().size();
        device.HandleOutputReport(KeyboardEmulator::kCommandInterface, request);
        const auto reports = link.Reports();
        if (reports.size() == before) return std::nullopt;
        EXPECT_EQ(reports.size(), before + 1);
        return reports.back();
    }
    uint8_t Status(const Frame& request) {
        const auto reply = Send(request);
        return reply ? (*reply)[7] : 0xEE;
    }
    // Chunked like the host: 56-byte chunks, the read data from reply byte 8.
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
    void Write(uint8_t command, const Bytes& bytes, size_t offset = 0) {
        for (size_t done = 0; done < bytes.size(); done += 56) {
            const size_t chunk = std::min<size_t>(56, bytes.size() - done);
            ASSERT_EQ(Status(Request(command, chunk, offset + done, std::span(bytes).subspan(done, chunk))), 0);
        }
    }

    CapturingLink link;
    KeyboardEmulator device;
};

// Top-level collections of a report descriptor with the report bits they declare.
struct TopLevel {
    uint32_t usagePage = 0, usage = 0;
    uint8_t reportId = 0;
    unsigned inputBits = 0, outputBits = 0;
};

std::vector<TopLevel> TopLevelCollections(const Bytes& descriptor) {
    std::vector<TopLevel> found;
    TopLevel outside;  // collects items that wrongly stand outside every collection
    uint32_t usagePage = 0, reportSize = 0, reportCount = 0, usage = 0;
    uint8_t reportId = 0;
    int depth = 0;
    for (size_t i = 0; i < descriptor.size();) {
        const uint8_t prefix = descriptor[i];
        const size_t size = (prefix & 3) == 3 ? 4 : prefix & 3;
        uint32_t value = 0;
        for (size_t b = 0; b < size; ++b) value |= static_cast<uint32_t>(descriptor.at(i + 1 + b)) << (8 * b);
        i += 1 + size;
        TopLevel& current = found.empty() ? outside : found.back();
        switch (prefix & 0xFC) {
        case 0x04: usagePage = value; break;
        case 0x74: reportSize = value; break;
        case 0x94: reportCount = value; break;
        case 0x84: reportId = static_cast<uint8_t>(value); current.reportId = reportId; break;
        case 0x08: usage = value; break;
        case 0xA0: if (depth++ == 0) found.push_back({usagePage, usage, reportId, 0, 0}); break;
        case 0xC0: --depth; break;
        case 0x80: current.inputBits += reportSize * reportCount; break;
        case 0x90: current.outputBits += reportSize * reportCount; break;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(outside.inputBits + outside.outputBits, 0u);
    return found;
}

TEST(KeyboardEmulatorDescriptor, PresentsBootKeyboardAndFourCommandInterfaceCollections) {
    const KeyboardEmulator device;
    EXPECT_EQ(device.VendorId(), 0xF0E1);
    EXPECT_EQ(device.ProductId(), 0x5004);
    const auto interfaces = device.Interfaces();
    ASSERT_EQ(interfaces.size(), 2u);
    EXPECT_EQ(interfaces[0].number, 0);
    EXPECT_EQ(interfaces[1].number, 1);

    const auto boot = TopLevelCollections(interfaces[0].reportDescriptor);
    ASSERT_EQ(boot.size(), 1u);
    EXPECT_EQ(boot[0].usagePage, 0x01u);
    EXPECT_EQ(boot[0].usage, 0x06u);
    EXPECT_EQ(boot[0].reportId, 0);
    EXPECT_EQ(boot[0].inputBits, 64u);

    const auto command = TopLevelCollections(interfaces[1].reportDescriptor);
    ASSERT_EQ(command.size(), 4u);
    const std::array<std::array<uint32_t, 5>, 4> expected{{
        {0x01, 0x80, 1, 8, 0}, {0x01, 0x06, 2, 168, 0}, {0x0C, 0x01, 3, 16, 0}, {0xFF1C, 0x92, 4, 504, 504}}};
    for (size_t c = 0; c < expected.size(); ++c) {
        SCOPED_TRACE(c + 1);
        EXPECT_EQ(command[c].usagePage, expected[c][0]);
        EXPECT_EQ(command[c].usage, expected[c][1]);
        EXPECT_EQ(command[c].reportId, expected[c][2]);
        EXPECT_EQ(command[c].inputBits, expected[c][3]);
        EXPECT_EQ(command[c].outputBits, expected[c][4]);
    }
}

TEST(KeyboardEmulatorMemory, InformationLedMapAndFactoryKeyMap) {
    Bench bench;
    const auto info = bench.Send(Request(0x03, 34, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[3], 0x03);
    EXPECT_EQ((*info)[4], 34);
    EXPECT_EQ((*info)[7], 0);
    EXPECT_EQ((*info)[8 + 5], 126);
    EXPECT_EQ((*info)[8 + 6], 16);
    EXPECT_EQ((*info)[8 + 32] | (*info)[8 + 33] << 8, bench.device.VersionNumber());

    EXPECT_EQ(bench.Read(0x1B, 126), Ramp(126, 0));

    const Bytes keyMap = bench.Read(0x07, 512);
    ASSERT_EQ(keyMap.size(), 512u);
    const auto code = [&](size_t slot) { return Bytes(keyMap.begin() + 3 * slot, keyMap.begin() + 3 * slot + 3); };
    const std::map<size_t, Bytes> facts{
        {0, {0x20, 0x00, 0x29}},   {16, {0xA0, 0x1B, 0x00}},  {17, {0xA0, 0x24, 0x00}},  {18, {0x30, 0x21, 0x02}},
        {55, {0x20, 0x00, 0x31}},  {62, {0x20, 0x00, 0x00}},  {64, {0x20, 0x00, 0x04}},  {83, {0x20, 0x00, 0x88}},
        {95, {0x20, 0x20, 0x00}},  {104, {0x20, 0x00, 0x00}}, {108, {0x20, 0x00, 0x2C}}, {110, {0xA0, 0x01, 0x00}},
        {118, {0x20, 0x00, 0x58}}, {120, {0xD0, 0xA2, 0x01}}, {125, {0x20, 0x80, 0x00}}};
    for (const auto& [slot, expected] : facts) EXPECT_EQ(code(slot), expected) << "slot " << slot;
    // A mistyped row shows up as a duplicate: only the two empty positions share a code.
    std::map<Bytes, size_t> firstSlotOf;
    for (size_t slot = 0; slot < 126; ++slot) {
        const auto [it, inserted] = firstSlotOf.emplace(code(slot), slot);
        if (!inserted) {
            EXPECT_TRUE(it->second == 62 && slot == 104) << "slot " << slot << " repeats " << it->second;
        }
    }
    EXPECT_TRUE(std::all_of(keyMap.begin() + 378, keyMap.end(), [](uint8_t b) { return b == 0; }));
}

TEST(KeyboardEmulatorMemory, WritesLandWhereTheOffsetsSay) {
    Bench bench;
    // Two chunks like the host sends them: the short second chunk keeps the
    // first one's bytes past its payload, and the checksum covers them.
    const Bytes parameters = Ramp(60, 0x40);
    Bytes secondPayload = Prefix(parameters, 56);
    std::copy(parameters.begin() + 56, parameters.end(), secondPayload.begin());
    ASSERT_EQ(bench.Status(Request(0x06, 56, 0, Prefix(parameters, 56))), 0);
    ASSERT_EQ(bench.Status(Request(0x06, 4, 56, secondPayload)), 0);
    EXPECT_EQ(bench.Read(0x05, 60), parameters);

    // Profile 1's record starts on profile 0's last byte.
    bench.Write(0x06, Bytes(26, 0x11), 25);
    EXPECT_EQ(bench.Read(0x05, 1, 25)[0], 0x11);
    EXPECT_EQ(bench.Read(0x05, 1, 24)[0], parameters[24]);

    const Bytes macro = Ramp(100, 1);
    bench.Write(0x15, macro);
    EXPECT_EQ(Prefix(bench.device.MacroMemory(), 100), macro);

    const Bytes colours = Ramp(378, 7);
    bench.Write(0x0B, colours, 3 * 512);
    EXPECT_EQ(Prefix(bench.device.LedPage(3), 378), colours);
    EXPECT_EQ(bench.device.LedPage(2), Bytes(512, 0));
    EXPECT_EQ(bench.device.LedPage(4), Bytes(512, 0));
    EXPECT_TRUE(bench.device.LedPage(8).empty());

    bench.Write(0x12, colours);
    EXPECT_EQ(Prefix(bench.device.LastStreamedFrame(), 378), colours);

    bench.Write(0x09, Bytes{0x70, 0x02, 0x01}, 3 * 17);
    EXPECT_EQ(bench.Read(0x07, 3, 3 * 17), (Bytes{0x70, 0x02, 0x01}));
}

TEST(KeyboardEmulatorMemory, TransactionLinkQueryAndPowerStatus) {
    Bench bench;
    ASSERT_EQ(bench.Status(Request(0x01, 0, 0)), 0);
    EXPECT_TRUE(bench.device.InConfiguration());
    ASSERT_EQ(bench.Status(Request(0x02, 0, 0)), 0);
    EXPECT_FALSE(bench.device.InConfiguration());
    ASSERT_EQ(bench.Status(Request(0x01, 0, 0)), 0);
    bench.device.Unplugged();
    bench.device.Plugged(bench.link);  // powers up outside any transaction
    EXPECT_FALSE(bench.device.InConfiguration());
    EXPECT_EQ((*bench.Send(Request(0xAA, 0, 0)))[8], 0xFF);

    EXPECT_EQ(bench.Read(0x1A, 6), (Bytes{100, 0, 0, 0, 0, 0}));
    bench.device.SetPowerStatus({35, 1, 0, 1, 0, 0});
    EXPECT_EQ(bench.Read(0x1A, 6), (Bytes{35, 1, 0, 1, 0, 0}));
}

TEST(KeyboardEmulatorMemory, BadRequestsAreRefusedAndChangeNothing) {
    Bench bench;
    const Bytes keyMap = bench.device.KeyMapMemory();
    const Bytes parameters = bench.device.ParameterMemory();

    Frame badSum = Request(0x06, 2, 0, Bytes{9, 9});
    badSum[63] ^= 1;  // outside the payload, still covered by the checksum
    const auto reply = bench.Send(badSum);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[3], 0x06);
    EXPECT_EQ((*reply)[7], 0xFF);

    const std::vector<Frame> refused{
        Request(0x04, 0, 0),                   // unknown command
        Request(0x05, 57, 0),                  // chunk longer than 56
        Request(0x03, 8, 30),                  // partly past the information block
        Request(0x05, 1, 256),                 // past the parameters
        Request(0x09, 20, 500, Bytes(20, 1)),  // partly past the key map
        Request(0x15, 16, 2040, Bytes(16, 1)), // partly past the macro memory
        Request(0x0B, 1, 4096, Bytes{1}),      // past the last LED page
    };
    for (const Frame& request : refused) EXPECT_EQ(bench.Status(request), 0xFE) << int{request[3]};
    EXPECT_EQ(bench.device.KeyMapMemory(), keyMap);
    EXPECT_EQ(bench.device.ParameterMemory(), parameters);
    EXPECT_EQ(bench.device.MacroMemory(), Bytes(2048, 0));

    // Other report IDs and the boot interface are accepted and left unanswered.
    Frame otherId = Request(0x06, 2, 0, Bytes{9, 9});
    otherId[0] = 2;
    EXPECT_FALSE(bench.Send(otherId));
    EXPECT_TRUE(bench.device.HandleOutputReport(0, Bytes{0x01}));
    EXPECT_EQ(bench.link.Reports().size(), 1 + refused.size());
    EXPECT_EQ(bench.device.ParameterMemory(), parameters);
    const auto received = bench.device.ReceivedRequests();
    ASSERT_EQ(received.size(), 2 + refused.size());
    EXPECT_EQ(received.front(), badSum);
    EXPECT_EQ(received.back(), otherId);
    bench.device.ClearReceivedRequests();
    EXPECT_TRUE(bench.device.ReceivedRequests().empty());
}

TEST(KeyboardEmulatorFaults, InjectedFaultsHitTheRequestsTheyName) {
    Bench bench;
    const auto writeByte = [&](uint8_t value) { return bench.Send(Request(0x06, 1, 40, Bytes{value})); };
    const auto byte40 = [&] { return bench.device.ParameterMemory()[40]; };

    bench.device.InjectNoAnswer(2);
    EXPECT_FALSE(writeByte(1));
    EXPECT_FALSE(writeByte(2));
    EXPECT_EQ(byte40(), 0);
    EXPECT_TRUE(writeByte(3));
    EXPECT_EQ(byte40(), 3);

    bench.device.InjectWrongEcho();
    EXPECT_EQ((*writeByte(4))[3], 0x86);
    EXPECT_EQ(byte40(), 4);
    EXPECT_EQ((*writeByte(5))[3], 0x06);

    bench.device.InjectStatus(0xFE, 2);
    bench.device.InjectStatus(0x00, 3);  // a write the device claims but loses
    EXPECT_EQ((*writeByte(6))[7], 0);
    EXPECT_EQ((*writeByte(7))[7], 0xFE);
    EXPECT_EQ(byte40(), 6);
    EXPECT_EQ((*writeByte(8))[7], 0);
    EXPECT_EQ(byte40(), 6);

    bench.device.UnplugAtRequest(2);
    EXPECT_TRUE(writeByte(9));
    Frame otherId = Request(0x06, 1, 40, Bytes{10});
    otherId[0] = 1;
    bench.device.HandleOutputReport(1, otherId);  // not a command request: not counted
    EXPECT_FALSE(writeByte(11));
    EXPECT_EQ(bench.link.unplugRequests, 1);
    EXPECT_EQ(byte40(), 9);
    // Gone: later writes fail and nothing answers.
    EXPECT_FALSE(bench.device.HandleOutputReport(1, Request(0x03, 34, 0)));
    EXPECT_EQ(bench.link.unplugRequests, 1);
}

TEST(KeyboardEmulatorNotifications, ReportCodesOnTheConsumerCollection) {
    Bench bench;
    EXPECT_TRUE(bench.device.SendNotification(0x401));
    EXPECT_TRUE(bench.device.PressKey(17));
    EXPECT_TRUE(bench.device.ReleaseKey(125));
    EXPECT_FALSE(bench.device.PressKey(126));
    EXPECT_EQ(bench.link.Reports(), (std::vector<Bytes>{{3, 0x01, 0x04}, {3, 0x11, 0x05}, {3, 0x7D, 0x06}}));

    EXPECT_TRUE(bench.device.SetParameterBytes(0, Bytes{2}));
    EXPECT_TRUE(bench.device.SetParameterBytes(51, Bytes{7, 3}));
    EXPECT_FALSE(bench.device.SetParameterBytes(255, Bytes{1, 1}));
    EXPECT_EQ(bench.Read(0x05, 1)[0], 2);
    EXPECT_EQ(bench.Read(0x05, 26, 50)[1], 7);

    bench.device.Unplugged();
    EXPECT_FALSE(bench.device.SendNotification(0x403));
    EXPECT_EQ(bench.link.Reports().size(), 5u);
}

class KeyboardEmulatorStateFile : public ::testing::Test {
protected:
    KeyboardEmulatorStateFile()
        : folder_(std::filesystem::temp_directory_path() /
                  ("velnor7_kbd_emu_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          path(folder_ / "keyboard.json") {
        std::filesystem::create_directories(folder_);
    }
    ~KeyboardEmulatorStateFile() override { std::filesystem::remove_all(folder_); }
    void WriteFile(const std::string& text) { std::ofstream(path) << text; }

    std::filesystem::path folder_;
    std::filesystem::path path;
};

TEST_F(KeyboardEmulatorStateFile, ChangedMemoriesSurviveTheObject) {
    const KeyboardEmulator factory;
    {
        Bench bench(path);
        bench.Read(0x07, 512);
        bench.Write(0x12, Ramp(60, 9));
        EXPECT_FALSE(std::filesystem::exists(path));  // neither reads nor streamed frames are kept
        bench.Write(0x09, Bytes{0x10, 0x01, 0x00}, 0);
        bench.Write(0x06, Bytes(26, 4), 0);
        bench.Write(0x15, Ramp(70, 3));
        bench.Write(0x0B, Ramp(60, 9), 7 * 512);
    }
    const Json::Value state = LoadJsonFile(path);
    EXPECT_EQ(state["keyMap"].asString().substr(0, 8), "10010020");
    EXPECT_EQ(state["ledPages"].asString().size(), 2u * 4096);

    const KeyboardEmulator reborn(path);
    Bytes keyMap = factory.KeyMapMemory();
    keyMap[0] = 0x10, keyMap[1] = 0x01, keyMap[2] = 0x00;
    EXPECT_EQ(reborn.KeyMapMemory(), keyMap);
    Bytes parameters = factory.ParameterMemory();
    std::fill_n(parameters.begin(), 26, 4);
    EXPECT_EQ(reborn.ParameterMemory(), parameters);
    EXPECT_EQ(Prefix(reborn.MacroMemory(), 70), Ramp(70, 3));
    EXPECT_EQ(Prefix(reborn.LedPage(7), 60), Ramp(60, 9));
    EXPECT_EQ(reborn.LastStreamedFrame(), Bytes(512, 0));
}

TEST_F(KeyboardEmulatorStateFile, UnusableFilesFallBackToFactoryContents) {
    const KeyboardEmulator factory;
    Json::Value wrongSize = Json::objectValue;
    wrongSize["version"] = 1;
    wrongSize["parameters"] = std::string(2 * 256, 'a');
    wrongSize["keyMap"] = std::string(2 * 511, '0');
    wrongSize["macros"] = std::string(2 * 2048, '0');
    wrongSize["ledPages"] = std::string(2 * 4096, '0');
    for (const std::string& text : {std::string("{\"keyMap\": \"00"), std::string("[1, 2]"),
                                    Json::writeString(Json::StreamWriterBuilder(), wrongSize)}) {
        SCOPED_TRACE(text.substr(0, 20));
        WriteFile(text);
        Bench bench(path);
        EXPECT_EQ(bench.device.KeyMapMemory(), factory.KeyMapMemory());
        EXPECT_EQ(bench.device.ParameterMemory(), factory.ParameterMemory());
        bench.Write(0x06, Bytes{1}, 100);  // the first change replaces the unusable file
        EXPECT_EQ(KeyboardEmulator(path).ParameterMemory()[100], 1);
    }
}

TEST(KeyboardEmulatorThreads, ConcurrentHostThreadsEachGetTheirAnswers) {
    Bench bench;
    constexpr int kThreads = 4, kRounds = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&bench, t] {
            for (int round = 0; round < kRounds; ++round) {
                const Bytes bytes(8, static_cast<uint8_t>(round));
                bench.device.HandleOutputReport(1, Request(0x06, 8, 100 + 8 * static_cast<size_t>(t), bytes));
                bench.device.HandleOutputReport(1, Request(0x07, 56, 0));
                bench.device.PressKey(static_cast<uint8_t>(t));
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(bench.link.Reports().size(), 3u * kThreads * kRounds);
    const Bytes parameters = bench.device.ParameterMemory();
    EXPECT_EQ(Bytes(parameters.begin() + 100, parameters.begin() + 100 + 8 * kThreads), Bytes(8 * kThreads, kRounds - 1));
}

}  // namespace
}  // namespace velnor7
