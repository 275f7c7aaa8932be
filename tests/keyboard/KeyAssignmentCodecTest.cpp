#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "keyboard/KeyAssignmentCodec.h"

namespace velnor7 {
namespace {

KeyAssignment Assignment(uint8_t type, uint8_t p1, uint8_t p2) {
    KeyAssignment assignment;
    assignment.passThrough = {0x07, 0x00};
    assignment.code = {type, p1, p2};
    return assignment;
}

const KeyAssignment kDefault = Assignment(0x20, 0x00, 0x29);  // Esc

TEST(CategoryOf, FollowsTheTypeAndSelectsTableRows) {
    struct Case {
        KeyCode code;
        std::optional<FunctionCategory> category;
        int row;
    };
    const std::vector<Case> cases = {
        {{0x00, 0x00, 0x00}, FunctionCategory::Default, -1},
        {{0x10, 0x04, 0x00}, FunctionCategory::MouseButton, 1},
        {{0x10, 0x03, 0x00}, FunctionCategory::MouseButton, -1},
        {{0x11, 0x12, 0x83}, FunctionCategory::MouseSwing, -1},
        {{0x12, 0x12, 0xFD}, FunctionCategory::MouseWheel, -1},
        {{0x13, 0x02, 0x00}, FunctionCategory::Dpi, 1},
        {{0x14, 0x0A, 0x03}, FunctionCategory::Fire, -1},
        {{0x20, 0x80, 0x04}, FunctionCategory::KeyboardKey, -1},
        {{0x20, 0x81, 0x04}, FunctionCategory::ComboKey, -1},
        {{0x30, 0xE9, 0x00}, FunctionCategory::Media, 6},
        {{0x40, 0x04, 0x00}, FunctionCategory::System, 2},
        {{0x70, 0x00, 0x01}, FunctionCategory::Macro, -1},
        {{0x71, 0x00, 0x05}, FunctionCategory::Macro, -1},
        {{0x72, 0x02, 0x00}, FunctionCategory::GunKey, -1},
        {{0xB0, 0x01, 0x12}, FunctionCategory::ComboKey, 0},
        {{0xA0, 0x01, 0x00}, std::nullopt, -1},
        {{0xD0, 0xA2, 0x01}, std::nullopt, -1},
        {{0x50, 0x00, 0x00}, std::nullopt, -1},
    };
    for (const Case& c : cases) {
        const CategoryMatch match = CategoryOf(Assignment(c.code.type, c.code.p1, c.code.p2), kDefault);
        EXPECT_EQ(match.category, c.category) << int(c.code.type) << " " << int(c.code.p1);
        EXPECT_EQ(match.row, c.row) << int(c.code.type) << " " << int(c.code.p1);
    }
    EXPECT_EQ(CategoryOf(kDefault, kDefault).category, FunctionCategory::Default);
    const KeyAssignment onboardDefault = Assignment(0xD0, 0xA2, 0x01);
    EXPECT_EQ(CategoryOf(onboardDefault, onboardDefault).category, FunctionCategory::Default);
}

struct RoundTrip {
    FunctionCategory category;
    PanelValues values;
    KeyCode code;
};

PanelValues Row(int row) {
    PanelValues values;
    values.selectedRow = row;
    return values;
}

PanelValues Movement(int delay, int speed, int direction, int count) {
    PanelValues values;
    values.delay = delay;
    values.speed = speed;
    values.direction = direction;
    values.count = count;
    return values;
}

PanelValues Fire(int interval, int count) {
    PanelValues values;
    values.interval = interval;
    values.count = count;
    return values;
}

PanelValues Key(int modifierChoice, uint8_t usage) {
    PanelValues values;
    values.modifierChoice = modifierChoice;
    values.keyUsage = usage;
    return values;
}

PanelValues Macro(int number, int runMode, int repeatCount) {
    PanelValues values;
    values.macroCount = 3;
    values.macroNumber = number;
    values.runMode = runMode;
    values.repeatCount = repeatCount;
    return values;
}

PanelValues GunKey(int number) {
    PanelValues values;
    values.gunKeyNumber = number;
    return values;
}

TEST(EncodeDecode, EveryCategoryRoundTrips) {
    const std::vector<RoundTrip> trips = {
        {FunctionCategory::MouseButton, Row(3), {0x10, 0x10, 0x00}},
        {FunctionCategory::MouseSwing, Movement(5, 9, 1, 3), {0x11, 0x59, 0x83}},
        {FunctionCategory::MouseSwing, Movement(15, 0, 0, 127), {0x11, 0xF0, 0x7F}},
        {FunctionCategory::MouseWheel, Movement(1, 2, 1, 3), {0x12, 0x12, 0xFD}},
        {FunctionCategory::MouseWheel, Movement(0, 7, 1, 127), {0x12, 0x07, 0x81}},
        {FunctionCategory::MouseWheel, Movement(0, 0, 0, 3), {0x12, 0x00, 0x03}},
        {FunctionCategory::Dpi, Row(2), {0x13, 0x03, 0x00}},
        {FunctionCategory::Fire, Fire(20, 4), {0x14, 0x14, 0x04}},
        {FunctionCategory::KeyboardKey, Key(kModifierCtrl, 0x04), {0x20, 0x01, 0x04}},
        {FunctionCategory::KeyboardKey, Key(kModifierWin, 0x3A), {0x20, 0x08, 0x3A}},
        {FunctionCategory::KeyboardKey, Key(kModifierShift, 0x00), {0x20, 0x02, 0x00}},
        {FunctionCategory::KeyboardKey, Key(kModifierNone, 0x29), {0x20, 0x00, 0x29}},
        {FunctionCategory::KeyboardKey, Key(kNoSelection, 0x00), {0x20, 0x00, 0x00}},
        {FunctionCategory::Media, Row(0), {0x30, 0x83, 0x01}},
        {FunctionCategory::System, Row(1), {0x40, 0x02, 0x00}},
        {FunctionCategory::Macro, Macro(2, 1, 0), {0x70, 0x02, 0x01}},
        {FunctionCategory::Macro, Macro(2, 4, 5), {0x71, 0x02, 0x05}},
        {FunctionCategory::GunKey, GunKey(3), {0x72, 0x03, 0x00}},
        {FunctionCategory::ComboKey, Row(0), {0x20, 0x01, 0x12}},
    };
    KeyAssignment current = Assignment(0x14, 0x01, 0x01);
    current.passThrough = {0x2A, 0x01};
    current.p3 = 0x55;
    for (const RoundTrip& trip : trips) {
        const KeyAssignment encoded = Encode(trip.category, trip.values, current, kDefault);
        EXPECT_EQ(encoded.code, trip.code) << static_cast<int>(trip.category);
        EXPECT_EQ(encoded.passThrough, current.passThrough);
        EXPECT_EQ(encoded.p3, 0);

        const DecodedAssignment decoded = Decode(encoded, kDefault, 3);
        if (trip.category == FunctionCategory::ComboKey) continue;  // shown as a keyboard key, see below
        EXPECT_EQ(decoded.category, trip.category) << static_cast<int>(trip.category);
        EXPECT_EQ(decoded.values, trip.values) << static_cast<int>(trip.category);
        EXPECT_EQ(decoded.assignment, encoded);
    }
    EXPECT_EQ(Encode(FunctionCategory::Default, {}, current, kDefault), kDefault);
    EXPECT_EQ(Decode(kDefault, kDefault, 0).category, FunctionCategory::Default);
}

TEST(EncodeDecode, ComboCodeWithALowModifierIsShownAsAKeyboardKey) {
    const DecodedAssignment decoded = Decode(Assignment(0x20, 0x01, 0x12), kDefault, 0);
    EXPECT_EQ(decoded.category, FunctionCategory::KeyboardKey);
    EXPECT_EQ(decoded.values.modifierChoice, kModifierCtrl);
    EXPECT_EQ(decoded.keyName, "keyboard_key_O");
}

TEST(Encode, MissingChoiceKeepsTheCurrentAssignment) {
    const KeyAssignment current = Assignment(0x14, 0x01, 0x01);
    EXPECT_EQ(Encode(FunctionCategory::MouseButton, Row(kNoSelection), current, kDefault), current);
    EXPECT_EQ(Encode(FunctionCategory::MouseButton, Row(5), current, kDefault), current);
    EXPECT_EQ(Encode(FunctionCategory::Media, Row(18), current, kDefault), current);
    EXPECT_EQ(Encode(FunctionCategory::Macro, Macro(kNoSelection, 0, 0), current, kDefault), current);
    PanelValues emptyList = Macro(0, 0, 0);
    emptyList.macroCount = 0;
    EXPECT_EQ(Encode(FunctionCategory::Macro, emptyList, current, kDefault), current);
    EXPECT_EQ(Encode(FunctionCategory::GunKey, GunKey(kNoSelection), current, kDefault), current);
}

TEST(Encode, FieldsAreCutToTheirBitsAndBytes) {
    const KeyAssignment current = Assignment(0, 0, 0);
    EXPECT_EQ(Encode(FunctionCategory::Fire, Fire(300, 256), current, kDefault).code, (KeyCode{0x14, 0x2C, 0x00}));
    EXPECT_EQ(Encode(FunctionCategory::MouseSwing, Movement(0x1F, 0x12, 1, 200), current, kDefault).code,
              (KeyCode{0x11, 0xF2, 0xC8}));
    // No scroll in the second direction is no scroll, not the largest count the other way.
    EXPECT_EQ(Encode(FunctionCategory::MouseWheel, Movement(0, 0, 1, 0), current, kDefault).code,
              (KeyCode{0x12, 0x00, 0x00}));
    // A cleared run-mode combo encodes the first run mode.
    EXPECT_EQ(Encode(FunctionCategory::Macro, Macro(1, kNoSelection, 0), current, kDefault).code,
              (KeyCode{0x70, 0x01, 0x00}));
    EXPECT_EQ(Encode(FunctionCategory::KeyboardKey, Key(7, 0x04), current, kDefault).code, (KeyCode{0x20, 0x00, 0x04}));
}

TEST(DecodeKeyboardKey, ModifiersAndKeys) {
    // Ctrl+Alt+A: no single modifier row, shown as A without a modifier.
    const DecodedAssignment ctrlAlt = Decode(Assignment(0x20, 0x05, 0x04), kDefault, 0);
    EXPECT_EQ(ctrlAlt.values.modifierChoice, kModifierNone);
    EXPECT_EQ(ctrlAlt.keyName, "keyboard_key_A");
    EXPECT_EQ(ctrlAlt.assignment.code, (KeyCode{0x20, 0x00, 0x04}));
    EXPECT_EQ(ctrlAlt.assignment.passThrough, kDefault.passThrough);

    // Right-hand modifiers select the same choices as left-hand ones; the code is kept.
    const KeyboardKeyDecoding rightCtrl = DecodeKeyboardKey({0x20, 0x10, 0x04});
    EXPECT_EQ(rightCtrl.modifierChoice, kModifierCtrl);
    EXPECT_EQ(rightCtrl.keyRow, 8u);
    EXPECT_EQ(rightCtrl.code, (KeyCode{0x20, 0x10, 0x04}));

    // A modifier alone.
    const KeyboardKeyDecoding rightShift = DecodeKeyboardKey({0x20, 0x20, 0x00});
    EXPECT_EQ(rightShift.modifierChoice, kModifierShift);
    EXPECT_EQ(rightShift.keyRow, std::nullopt);
    EXPECT_EQ(rightShift.code, (KeyCode{0x20, 0x20, 0x00}));

    // A usage the table does not know, without modifier: everything cleared.
    const DecodedAssignment unknown = Decode(Assignment(0x20, 0x00, 0x32), kDefault, 0);
    EXPECT_EQ(unknown.values.modifierChoice, kNoSelection);
    EXPECT_EQ(unknown.keyName, "");
    EXPECT_EQ(unknown.assignment.code, (KeyCode{0x20, 0x00, 0x00}));

    const std::vector<int> choices = {1, 2, 3, 4, 1, 2, 3, 4};
    for (size_t row = 0; row < choices.size(); ++row) EXPECT_EQ(ModifierChoiceForRow(row), choices[row]) << row;
}

TEST(Decode, MacroNumberOutsideTheListSelectsNothing) {
    const DecodedAssignment decoded = Decode(Assignment(0x71, 0x03, 0x05), kDefault, 3);
    EXPECT_EQ(decoded.category, FunctionCategory::Macro);
    EXPECT_EQ(decoded.values.macroNumber, kNoSelection);
    EXPECT_EQ(decoded.values.runMode, kNoSelection);

    const DecodedAssignment hidden = Decode(Assignment(0xA0, 0x01, 0x00), kDefault, 3);
    EXPECT_EQ(hidden.category, std::nullopt);
}

}  // namespace
}  // namespace velnor7
