// Every keyboard transaction with one fault injected at each of its requests: the result
// names the failure, the keyboard's memories change only by the chunks it acknowledged (and
// only to the intended bytes), and nothing is ever written from data that were not read.
#include "keyboard/ConfiguratorFixture.h"

#include "macros/MacroLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace velnor7 {
namespace {

using Fault = KeyboardEmulator::Fault;
using FaultAt = std::tuple<Fault, int>;  // the fault, and the request (from 1) it hits
using ::testing::HasSubstr;

const Fault kFaults[] = {Fault::NoAnswer, Fault::WrongEcho, Fault::StatusRejected, Fault::StatusBadChecksum,
                         Fault::Unplug};

std::string FaultName(Fault fault) {
    switch (fault) {
    case Fault::NoAnswer: return "NoAnswer";
    case Fault::WrongEcho: return "WrongEcho";
    case Fault::StatusRejected: return "StatusFE";
    case Fault::StatusBadChecksum: return "StatusFF";
    case Fault::Unplug: return "Unplug";
    }
    return "Unknown";
}

std::string CaseName(const ::testing::TestParamInfo<FaultAt>& info) {
    return FaultName(std::get<0>(info.param)) + "AtRequest" + std::to_string(std::get<1>(info.param));
}

// A transaction's requests: commands before its data, its data chunks, the commands after.
struct Layout {
    std::vector<std::string> before;
    std::string data;
    int chunks;
    std::vector<std::string> after;

    int Requests() const { return static_cast<int>(before.size() + after.size()) + chunks; }
    int FirstChunk() const { return static_cast<int>(before.size()) + 1; }
    // The command a request carries, with its chunk as a result names it.
    std::string CommandAt(int request) const {
        if (request < FirstChunk()) return before[static_cast<size_t>(request - 1)];
        if (request < FirstChunk() + chunks) {
            if (chunks == 1) return data;
            return data + " at chunk " + std::to_string(request - FirstChunk() + 1) + " of " + std::to_string(chunks);
        }
        return after[static_cast<size_t>(request - FirstChunk() - chunks)];
    }
    // Chunks the keyboard acknowledged before the fault.
    size_t Acknowledged(int request) const {
        return static_cast<size_t>(std::clamp(request - FirstChunk(), 0, chunks));
    }
    // Chunks the keyboard applied: a reply with the wrong echo still follows a chunk it took.
    size_t Applied(int request, Fault fault) const {
        const bool dataChunk = request >= FirstChunk() && request < FirstChunk() + chunks;
        return Acknowledged(request) + (dataChunk && fault == Fault::WrongEcho ? 1 : 0);
    }
};

// `after` equals `intended` in the first `written` bytes from `offset` and `before` elsewhere.
void ExpectOnlyWritten(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                       const std::vector<uint8_t>& intended, size_t offset, size_t written) {
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < after.size(); ++i) {
        const bool inWrite = i >= offset && i < offset + std::min(written, intended.size());
        const uint8_t expected = inWrite ? intended[i - offset] : before[i];
        ASSERT_EQ(after[i], expected) << "memory byte " << i;
    }
}

class FaultTest : public testing::KeyboardConfiguratorTest, public ::testing::WithParamInterface<FaultAt> {
protected:
    Fault TheFault() const { return std::get<0>(GetParam()); }
    int TheRequest() const { return std::get<1>(GetParam()); }
    void Inject() {
        keyboard_->ClearReceivedRequests();
        keyboard_->InjectFault(TheFault(), TheRequest());
    }
    // A transaction whose last request, EndConfig, meets a fault asks once more; only a
    // keyboard that is gone makes it fail.
    bool EndConfigRetried(const Layout& layout) const {
        return !layout.after.empty() && layout.after.back() == "EndConfig" && TheRequest() == layout.Requests() &&
               TheFault() != Fault::Unplug;
    }
    // The result names the command the fault hit, after what was not done.
    void ExpectFailureAtTheFault(const DeviceResult& result, const Layout& layout, const std::string& what) const {
        if (EndConfigRetried(layout)) {
            EXPECT_TRUE(result.Ok()) << result.reason;
            return;
        }
        ASSERT_FALSE(result.Ok());
        EXPECT_THAT(result.reason, HasSubstr(what + ": " + layout.CommandAt(TheRequest()) + ": "));
        if (result.chunksDone > 0) {
            EXPECT_THAT(result.reason, HasSubstr(std::to_string(result.chunksDone) + " of " +
                                                 std::to_string(layout.chunks) + " chunks had been written"));
        }
    }
    // A keyboard that is still plugged in was asked to leave the configuration.
    void ExpectConfigurationClosed() const {
        if (TheFault() != Fault::Unplug) {
            EXPECT_FALSE(keyboard_->InConfiguration());
        }
    }
};

// 378 bytes of key map are 7 chunks, 126 bytes of LED map 3.
std::string ReadOutCommandAt(int request) {
    const Layout keyMap{{"BeginConfig", "ReadDeviceInfo"}, "ReadKeyMap", 7, {}};
    const Layout ledMap{{}, "ReadKeyLedMap", 3, {"EndConfig"}};
    return request <= keyMap.Requests() ? keyMap.CommandAt(request) : ledMap.CommandAt(request - keyMap.Requests());
}

using ReadOutFault = FaultTest;

TEST_P(ReadOutFault, LeavesTheKeyboardUnreadAndNothingIsLaterWrittenFromIt) {
    // A read-out that worked before does not survive a failed one.
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    const std::vector<uint8_t> keyMap = keyboard_->KeyMapMemory();
    Inject();
    const DeviceResult result = configurator_->ReadOut();
    ExpectConfigurationClosed();
    if (TheRequest() == 13 && TheFault() != Fault::Unplug) {
        EXPECT_TRUE(result.Ok()) << "EndConfig is asked once more: " << result.reason;
        return;
    }
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.reason, HasSubstr("The keyboard could not be read: " + ReadOutCommandAt(TheRequest()) + ": "));
    EXPECT_FALSE(configurator_->HasReadOut());
    EXPECT_TRUE(configurator_->ReportedKeyMap().empty());
    EXPECT_EQ(configurator_->Maps().slots[104], kAbsentKey);
    EXPECT_EQ(configurator_->Maps().leds[104], kAbsentKey);
    EXPECT_EQ(configurator_->SlotCount(), 0);

    std::vector<KeyListEntry> keys = profile_.ReadKeyList();
    for (KeyListEntry& key : keys) key.current.code = KeyCode{0x20, 0x00, 0x05};
    profile_.WriteKeyList(keys);
    const size_t sent = keyboard_->ReceivedRequests().size();
    EXPECT_EQ(configurator_->WriteKeyMap().error, DeviceError::NotReadOut);
    EXPECT_EQ(keyboard_->ReceivedRequests().size(), sent);
    EXPECT_EQ(keyboard_->KeyMapMemory(), keyMap);
}

INSTANTIATE_TEST_SUITE_P(EachRequest, ReadOutFault, ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 14)),
                         CaseName);

using KeyMapWriteFault = FaultTest;

TEST_P(KeyMapWriteFault, ChangesOnlyTheChunksTheKeyboardTookAndSaysHowFarItGot) {
    const Layout layout{{"ReadDeviceInfo", "BeginConfig"}, "WriteKeyMap", 7, {"EndConfig"}};
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    // Every key becomes B, so that every chunk of the key map differs.
    std::vector<KeyListEntry> keys = profile_.ReadKeyList();
    for (KeyListEntry& key : keys) key.current.code = KeyCode{0x20, 0x00, 0x05};
    profile_.WriteKeyList(keys);
    const std::vector<uint8_t> intended = BuildKeyMapBuffer(configurator_->ReportedKeyMap(), configurator_->Maps().slots, keys);
    const std::vector<uint8_t> before = keyboard_->KeyMapMemory();
    Inject();

    const DeviceResult result = configurator_->WriteKeyMap();
    ExpectConfigurationClosed();
    ExpectFailureAtTheFault(result, layout, "The keyboard's key map was not written");
    EXPECT_EQ(result.chunksDone, layout.Acknowledged(TheRequest()));
    ExpectOnlyWritten(before, keyboard_->KeyMapMemory(), intended, 0, 56 * layout.Applied(TheRequest(), TheFault()));
}

INSTANTIATE_TEST_SUITE_P(EachRequest, KeyMapWriteFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 11)), CaseName);

using LightRecordWriteFault = FaultTest;

TEST_P(LightRecordWriteFault, LeavesTheParametersAsTheyWereUnlessTheRecordWasTaken) {
    const Layout layout{{"BeginConfig"}, "WriteParameters", 1, {"EndConfig"}};
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = 7;
    light.red = 99;
    profile_.WriteLightInfo(light);
    const LightRecord record = BuildLightRecord(light, profile_.ReadSystemStages());
    const std::vector<uint8_t> before = keyboard_->ParameterMemory();
    Inject();

    const DeviceResult result = configurator_->WriteLightRecord();
    ExpectConfigurationClosed();
    ExpectFailureAtTheFault(result, layout, "The keyboard's light record was not written");
    ExpectOnlyWritten(before, keyboard_->ParameterMemory(), {record.begin(), record.end()}, 0,
                      record.size() * layout.Applied(TheRequest(), TheFault()));
}

INSTANTIATE_TEST_SUITE_P(EachRequest, LightRecordWriteFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 4)), CaseName);

using MacroWriteFault = FaultTest;

TEST_P(MacroWriteFault, ChangesOnlyTheChunksTheKeyboardTook) {
    const Layout layout{{"ReadDeviceInfo", "BeginConfig"}, "WriteMacroData", 2, {"EndConfig"}};
    MacroLibrary library(folder_);
    library.LoadList();
    std::vector<std::vector<MacroEvent>> macros;
    for (size_t events : {10u, 0u, 5u}) {
        macros.emplace_back(events, MacroEvent{kMacroKey, "down", 4, 10});
        const AddedMacro added = library.AddMacro();
        if (events > 0) {
            ASSERT_EQ(library.SaveMacroEvents(added.index, macros.back()), MacroStatus::Ok);
        }
    }
    const std::vector<uint8_t> blob = BuildMacroBlob(macros, KeyboardEmulator::kMacroSize).blob;
    ASSERT_EQ(blob.size(), 94u);  // two chunks
    const std::vector<uint8_t> before = keyboard_->MacroMemory();
    Inject();

    const MacroWrite written = configurator_->WriteMacros();
    ExpectConfigurationClosed();
    ExpectFailureAtTheFault(written.result, layout, "The macros were not written to the keyboard");
    EXPECT_EQ(written.result.chunksDone, layout.Acknowledged(TheRequest()));
    ExpectOnlyWritten(before, keyboard_->MacroMemory(), blob, 0, 56 * layout.Applied(TheRequest(), TheFault()));
}

INSTANTIATE_TEST_SUITE_P(EachRequest, MacroWriteFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 6)), CaseName);

using KeyColourWriteFault = FaultTest;

TEST_P(KeyColourWriteFault, ChangesOnlyTheChunksOfTheLedPageTheKeyboardTook) {
    const Layout layout{{}, "WriteLedFrame", 7, {}};
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = CKeyboardConfigurator::kCustomLightMode;
    light.customGroup = 1;
    profile_.WriteLightInfo(light);
    configurator_->KeyColours().assign(kKeyCount, KeyColour{200, 100, 50, 255});
    const std::vector<uint8_t> intended = BuildLedBuffer(configurator_->KeyColours(), configurator_->Maps().leds, true);
    const std::vector<uint8_t> before = keyboard_->LedPage(1);
    Inject();

    const DeviceResult result = configurator_->WriteCustomColours();
    ExpectConfigurationClosed();
    ExpectFailureAtTheFault(result, layout, "The keyboard's key colours were not written");
    EXPECT_EQ(result.chunksDone, layout.Acknowledged(TheRequest()));
    ExpectOnlyWritten(before, keyboard_->LedPage(1), intended, 0, 56 * layout.Applied(TheRequest(), TheFault()));
}

INSTANTIATE_TEST_SUITE_P(EachRequest, KeyColourWriteFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 8)), CaseName);

using ReadBackFault = FaultTest;

TEST_P(ReadBackFault, LeavesTheProfileAsItWas) {
    const std::vector<uint8_t> changed{0, 9, 2, 1, 0, 0, 12, 34, 56};
    ASSERT_TRUE(keyboard_->SetParameterBytes(0, changed));
    ASSERT_EQ(profile_.Save(), 0);
    const Json::Value saved = profile_.GetDocument();
    Inject();

    const LightRecordRead read = configurator_->ReadLightRecord();
    ASSERT_FALSE(read.result.Ok());
    EXPECT_THAT(read.result.reason, HasSubstr("could not be read back: ReadParameters: "));
    EXPECT_EQ(profile_.GetDocument(), saved);
}

INSTANTIATE_TEST_SUITE_P(EachRequest, ReadBackFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Range(1, 3)), CaseName);

}  // namespace
}  // namespace velnor7
