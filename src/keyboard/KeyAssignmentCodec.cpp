#include "keyboard/KeyAssignmentCodec.h"

#include <algorithm>
#include <span>

#include "keyboard/CategoryTables.h"
#include "keyboard/KeyCodeTable.h"

namespace velnor7 {

namespace {

constexpr uint8_t kFirstComboModifierBits = 129;

uint8_t Byte(int value) { return static_cast<uint8_t>(value); }

uint8_t DelayAndSpeed(const PanelValues& values) {
    return static_cast<uint8_t>(((Byte(values.delay) & 0x0F) << 4) | (Byte(values.speed) & 0x0F));
}

// The wheel's count in the second direction is stored negated, as a signed byte.
uint8_t NegatedWheelCount(int count) {
    return static_cast<uint8_t>(-(Byte(count) & 0x7F));
}

int TableRow(std::span<const KeyCode> table, const KeyCode& code) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const KeyCode& row) { return row.p1 == code.p1 && row.p2 == code.p2; });
    return found == table.end() ? kNoSelection : static_cast<int>(found - table.begin());
}

std::optional<FunctionCategory> CategoryOfType(const KeyCode& code) {
    switch (code.type) {
    case kCodeNone: return FunctionCategory::Default;
    case kCodeMouseButton: return FunctionCategory::MouseButton;
    case kCodeMouseSwing: return FunctionCategory::MouseSwing;
    case kCodeMouseWheel: return FunctionCategory::MouseWheel;
    case kCodeDpi: return FunctionCategory::Dpi;
    case kCodeFire: return FunctionCategory::Fire;
    case kCodeKeyboardKey:
        return code.p1 >= kFirstComboModifierBits ? FunctionCategory::ComboKey : FunctionCategory::KeyboardKey;
    case kCodeConsumer: return FunctionCategory::Media;
    case kCodeSystem: return FunctionCategory::System;
    case kCodeMacro:
    case kCodeMacroRepeated: return FunctionCategory::Macro;
    case kCodeGunKey: return FunctionCategory::GunKey;
    case kCodeComboKey: return FunctionCategory::ComboKey;
    default: return std::nullopt;
    }
}

KeyAssignment WithCode(const KeyAssignment& current, KeyCode code) {
    KeyAssignment result = current;
    result.code = code;
    result.p3 = 0;
    return result;
}

void DecodeMovement(const KeyCode& code, PanelValues& values) {
    values.delay = code.p1 >> 4;
    values.speed = code.p1 & 0x0F;
    values.direction = code.p2 >> 7;
}

}  // namespace

int ModifierChoiceForRow(size_t row) {
    const int k = static_cast<int>(row) + 1;
    return k % 5 + k / 5;
}

uint8_t ModifierBitForChoice(int choice) {
    if (choice < kModifierCtrl || choice > kModifierWin) return 0;
    return static_cast<uint8_t>(1 << (choice - 1));
}

CategoryMatch CategoryOf(const KeyAssignment& assignment, const KeyAssignment& defaultAssignment) {
    if (assignment == defaultAssignment) return {FunctionCategory::Default, kNoSelection};
    CategoryMatch match;
    match.category = CategoryOfType(assignment.code);
    if (match.category) match.row = TableRow(CategoryTable(*match.category), assignment.code);
    return match;
}

KeyboardKeyDecoding DecodeKeyboardKey(const KeyCode& code) {
    KeyboardKeyDecoding decoded;
    decoded.code = code;
    decoded.keyRow = RowForKeyUsage(code.p2);
    if (code.p1 != 0) {
        for (size_t row = 0; row < kModifierRowCount; ++row) {
            if (KeyCodeTable[row].code == KeyCode{kCodeKeyboardKey, code.p1, 0}) {
                decoded.modifierChoice = ModifierChoiceForRow(row);
                return decoded;
            }
        }
        decoded.modifierChoice = kModifierNone;
        decoded.code.p1 = 0;
    } else if (decoded.keyRow) {
        decoded.modifierChoice = kModifierNone;
    } else {
        decoded.code.p2 = 0;
    }
    return decoded;
}

DecodedAssignment Decode(const KeyAssignment& assignment, const KeyAssignment& defaultAssignment, int macroCount) {
    DecodedAssignment decoded;
    decoded.assignment = assignment;
    const CategoryMatch match = CategoryOf(assignment, defaultAssignment);
    decoded.category = match.category;
    if (!match.category) return decoded;

    const KeyCode& code = assignment.code;
    PanelValues& values = decoded.values;
    values.selectedRow = match.row;
    switch (*match.category) {
    case FunctionCategory::MouseSwing:
        DecodeMovement(code, values);
        values.count = code.p2 & 0x7F;
        break;
    case FunctionCategory::MouseWheel:
        DecodeMovement(code, values);
        values.count = values.direction == 1 ? 256 - code.p2 : code.p2;
        break;
    case FunctionCategory::Fire:
        values.interval = code.p1;
        values.count = code.p2;
        break;
    case FunctionCategory::KeyboardKey: {
        const KeyboardKeyDecoding key = DecodeKeyboardKey(code);
        values.modifierChoice = key.modifierChoice;
        values.keyUsage = key.code.p2;
        if (key.keyRow) decoded.keyName = KeyCodeTable[*key.keyRow].nameId;
        decoded.assignment.code = key.code;
        break;
    }
    case FunctionCategory::Macro:
        values.macroCount = macroCount;
        if (code.type == kCodeMacroRepeated) values.repeatCount = code.p2;
        if (code.p1 < macroCount) {
            values.macroNumber = code.p1;
            values.runMode = code.type == kCodeMacroRepeated ? 4 : code.p2;
        }
        break;
    case FunctionCategory::GunKey:
        values.gunKeyNumber = code.p1;
        break;
    default:
        break;
    }
    return decoded;
}

KeyAssignment Encode(FunctionCategory category, const PanelValues& values, const KeyAssignment& current,
                     const KeyAssignment& defaultAssignment) {
    switch (category) {
    case FunctionCategory::Default:
        return defaultAssignment;
    case FunctionCategory::MouseButton:
    case FunctionCategory::Dpi:
    case FunctionCategory::Media:
    case FunctionCategory::System:
    case FunctionCategory::ComboKey: {
        const std::span<const KeyCode> table = CategoryTable(category);
        if (values.selectedRow < 0 || static_cast<size_t>(values.selectedRow) >= table.size()) return current;
        return WithCode(current, table[static_cast<size_t>(values.selectedRow)]);
    }
    case FunctionCategory::MouseSwing: {
        const uint8_t count = Byte(values.count) & 0x7F;
        return WithCode(current, {kCodeMouseSwing, DelayAndSpeed(values),
                                  static_cast<uint8_t>(values.direction == 1 ? count | 0x80 : count)});
    }
    case FunctionCategory::MouseWheel: {
        const uint8_t count = values.direction == 1 ? NegatedWheelCount(values.count) : Byte(values.count) & 0x7F;
        return WithCode(current, {kCodeMouseWheel, DelayAndSpeed(values), count});
    }
    case FunctionCategory::Fire:
        return WithCode(current, {kCodeFire, Byte(values.interval), Byte(values.count)});
    case FunctionCategory::KeyboardKey:
        return WithCode(current, {kCodeKeyboardKey, ModifierBitForChoice(values.modifierChoice), values.keyUsage});
    case FunctionCategory::Macro: {
        if (values.macroNumber < 0 || values.macroNumber >= values.macroCount) return current;
        // A cleared run-mode combo stands for the first mode, not for mode 255.
        const int runMode = std::max(values.runMode, 0);
        if (runMode < 4) return WithCode(current, {kCodeMacro, Byte(values.macroNumber), Byte(runMode)});
        return WithCode(current, {kCodeMacroRepeated, Byte(values.macroNumber), Byte(values.repeatCount)});
    }
    case FunctionCategory::GunKey:
        if (values.gunKeyNumber < 0) return current;
        return WithCode(current, {kCodeGunKey, Byte(values.gunKeyNumber), 0});
    }
    return current;
}

}  // namespace velnor7
