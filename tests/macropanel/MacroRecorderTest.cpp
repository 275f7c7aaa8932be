// What recording makes of captured keys and buttons, without a window: the events, the
// repeats that must not become rows, and the pauses by time mode.
#include "macros/recorder/MacroRecorder.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

namespace msg = input_message;

constexpr uint8_t kScanA = 0x1E;
constexpr uint8_t kScanCtrl = 0x1D;  // left; extended: right
constexpr uint8_t kScanPlayPause = 0x22;  // extended; G without the prefix

MacroEvent Event(int type, std::string_view action, int button) {
    return MacroEvent{type, std::string(action), button, 0};
}

TEST(MacroRecorderTest, KeysBecomePlainKeysOrModifiersAndUnknownKeysNothing) {
    MacroRecorder recorder;
    struct Case {
        unsigned message;
        uint8_t scan;
        bool extended;
        std::optional<MacroEvent> expected;
        const char* nameId;
    };
    const Case cases[] = {
        {msg::kKeyDown, kScanCtrl, false, Event(kMacroModifierKey, kMacroActionDown, 0x01), "keyboard_key_LCtrl"},
        {msg::kKeyUp, kScanCtrl, false, Event(kMacroModifierKey, kMacroActionUp, 0x01), "keyboard_key_LCtrl"},
        {msg::kSystemKeyDown, kScanA, false, Event(kMacroKey, kMacroActionDown, 0x04), "keyboard_key_A"},
        {msg::kKeyUp, kScanA, false, Event(kMacroKey, kMacroActionUp, 0x04), "keyboard_key_A"},
        {msg::kKeyDown, kScanCtrl, true, Event(kMacroModifierKey, kMacroActionDown, 0x10), "keyboard_key_RCtrl"},
        {msg::kKeyDown, kScanPlayPause, true, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        const auto recorded = recorder.TakeKey(EventPlacement::Append, c.message, c.scan, c.extended);
        ASSERT_EQ(recorded.has_value(), c.expected.has_value()) << int(c.scan);
        if (!recorded) continue;
        EXPECT_EQ(recorded->event, *c.expected) << int(c.scan);
        EXPECT_EQ(recorded->nameId, c.nameId);
    }
}

TEST(MacroRecorderTest, AHeldKeyIsOnePressAndEachPlacementRemembersItsOwnKey) {
    MacroRecorder recorder;
    int rows = 0;
    for (unsigned message : {msg::kKeyDown, msg::kKeyDown, msg::kKeyDown, msg::kKeyUp, msg::kKeyDown}) {
        rows += recorder.TakeKey(EventPlacement::Append, message, kScanA, false).has_value() ? 1 : 0;
    }
    EXPECT_EQ(rows, 3);  // press, release, and a new press after the release
    // The insert handler has seen no press of A yet.
    EXPECT_TRUE(recorder.TakeKey(EventPlacement::After, msg::kKeyDown, kScanA, false).has_value());
    EXPECT_FALSE(recorder.TakeKey(EventPlacement::After, msg::kKeyDown, kScanA, false).has_value());
}

TEST(MacroRecorderTest, ButtonsFollowTheMouseTableAndARepeatedMessageIsDropped) {
    MacroRecorder recorder;
    const auto take = [&](unsigned message, int xButton = 0) {
        return recorder.TakeButton(EventPlacement::Append, message, xButton);
    };
    EXPECT_EQ(take(msg::kLeftDown)->event, Event(kMacroMouseButton, kMacroActionDown, 0x01));
    EXPECT_EQ(take(msg::kLeftUp)->event, Event(kMacroMouseButton, kMacroActionUp, 0x01));
    EXPECT_EQ(take(msg::kMiddleDown)->nameId, "mouse_key_middle");
    // Forward, then back without a release between: one X button message twice.
    const auto forward = take(msg::kXButtonDown, msg::kXButtonForward);
    ASSERT_TRUE(forward);
    EXPECT_EQ(forward->event, Event(kMacroMouseButton, kMacroActionDown, 0x10));
    EXPECT_FALSE(take(msg::kXButtonDown, msg::kXButtonBack));
    EXPECT_EQ(take(msg::kXButtonUp, msg::kXButtonBack)->event, Event(kMacroMouseButton, kMacroActionUp, 0x08));
    // Neither a third X button nor a wheel turn is a button of a macro.
    EXPECT_FALSE(take(msg::kXButtonDown, 3));
    EXPECT_FALSE(take(0x20A));
}

TEST(MacroRecorderTest, PausesAreMeasuredConstantOrNoneAndCutTo65535) {
    MacroRecorder recorder;
    recorder.Start(RecordTimeMode::Measured, 1000);
    EXPECT_EQ(recorder.NewRowDelay(), 0);
    EXPECT_EQ(recorder.TakeDelay(1250), 250);
    EXPECT_EQ(recorder.TakeDelay(1250 + 2 * 60 * 1000), 65535);
    EXPECT_EQ(recorder.TakeDelay(1250 + 2 * 60 * 1000 + 7), 7);

    recorder.SetConstantDelay(120);
    recorder.Start(RecordTimeMode::Constant, 0);
    EXPECT_EQ(recorder.TakeDelay(5000), 120);
    EXPECT_EQ(recorder.NewRowDelay(), 120);

    recorder.Start(RecordTimeMode::Ignored, 0);
    EXPECT_EQ(recorder.TakeDelay(5000), 0);
    EXPECT_EQ(recorder.NewRowDelay(), 0);
}

}  // namespace
}  // namespace velnor7
