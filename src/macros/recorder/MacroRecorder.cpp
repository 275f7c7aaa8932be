#include "macros/recorder/MacroRecorder.h"

#include "keyboard/KeyCodeTable.h"

#include <algorithm>

namespace velnor7 {

namespace msg = input_message;

const std::array<MouseEventRow, kMouseEventRows> MouseEventTable{{
    {msg::kLeftDown, 0x01, 0x81, "mouse_key_left"},
    {msg::kLeftUp, 0x01, 0x01, "mouse_key_left"},
    {msg::kRightDown, 0x02, 0x81, "mouse_key_right"},
    {msg::kRightUp, 0x02, 0x01, "mouse_key_right"},
    {msg::kMiddleDown, 0x04, 0x81, "mouse_key_middle"},
    {msg::kMiddleUp, 0x04, 0x01, "mouse_key_middle"},
    {msg::kXButtonDown, 0x10, 0x81, "mouse_key_forward"},
    {msg::kXButtonUp, 0x10, 0x01, "mouse_key_forward"},
    {msg::kXButtonDown, 0x08, 0x81, "mouse_key_back"},
    {msg::kXButtonUp, 0x08, 0x01, "mouse_key_back"},
}};

namespace {

constexpr size_t kFirstXButtonRow = 6;
constexpr size_t kPlainButtonRows = 6;
constexpr uint8_t kPressBit = 0x80;

size_t Slot(EventPlacement placement) { return static_cast<size_t>(placement); }

}  // namespace

const MouseEventRow* XButtonRow(unsigned message, bool forward) {
    if (message != msg::kXButtonDown && message != msg::kXButtonUp) return nullptr;
    const size_t row = kFirstXButtonRow + (forward ? 0 : 2) + (message == msg::kXButtonUp ? 1 : 0);
    return &MouseEventTable[row];
}

void MacroRecorder::Start(RecordTimeMode mode, uint64_t nowMs) {
    timeMode_ = mode;
    lastTickMs_ = nowMs;
}

std::optional<RecordedEvent> MacroRecorder::TakeKey(EventPlacement placement, unsigned message, uint8_t scanCode,
                                                    bool extended) {
    const bool pressed = message == msg::kKeyDown || message == msg::kSystemKeyDown;
    PressedKey& last = lastPressedKey_[Slot(placement)];
    const PressedKey key{scanCode, extended};
    // The window system repeats a held key as presses; the release ends the key's turn.
    if (pressed) {
        if (key == last) return std::nullopt;
        last = key;
    } else if (key == last) {
        last = {};
    }
    const std::optional<size_t> row = RowForCapturedKey(scanCode, extended);
    if (!row) return std::nullopt;
    const KeyCodeRow& entry = KeyCodeTable[*row];
    RecordedEvent recorded;
    const bool plainKey = entry.code.p2 != 0;
    recorded.event.type = plainKey ? kMacroKey : kMacroModifierKey;
    recorded.event.button = plainKey ? entry.code.p2 : entry.code.p1;
    recorded.event.action = std::string(pressed ? kMacroActionDown : kMacroActionUp);
    recorded.nameId = std::string(entry.nameId);
    return recorded;
}

std::optional<RecordedEvent> MacroRecorder::TakeButton(EventPlacement placement, unsigned message, int xButton) {
    const auto plain = std::find_if(MouseEventTable.begin(), MouseEventTable.begin() + kPlainButtonRows,
                                    [message](const MouseEventRow& row) { return row.message == message; });
    const MouseEventRow* row = plain != MouseEventTable.begin() + kPlainButtonRows ? &*plain : nullptr;
    if (row == nullptr && (xButton == msg::kXButtonForward || xButton == msg::kXButtonBack)) {
        row = XButtonRow(message, xButton == msg::kXButtonForward);
    }
    if (row == nullptr) return std::nullopt;
    unsigned& last = lastButtonMessage_[Slot(placement)];
    if (row->message == last) return std::nullopt;
    last = row->message;
    RecordedEvent recorded;
    recorded.event.type = row->typeByte & ~kPressBit;
    recorded.event.button = row->button;
    recorded.event.action = std::string((row->typeByte & kPressBit) != 0 ? kMacroActionDown : kMacroActionUp);
    recorded.nameId = row->nameId;
    return recorded;
}

uint16_t MacroRecorder::TakeDelay(uint64_t nowMs) {
    switch (timeMode_) {
    case RecordTimeMode::Constant:
        return constantDelay_;
    case RecordTimeMode::Ignored:
        return 0;
    case RecordTimeMode::Measured:
        break;
    }
    const uint64_t pause = nowMs >= lastTickMs_ ? nowMs - lastTickMs_ : 0;
    lastTickMs_ = nowMs;
    return static_cast<uint16_t>(std::min<uint64_t>(pause, kMaxMacroDelay));
}

uint16_t MacroRecorder::NewRowDelay() const { return timeMode_ == RecordTimeMode::Constant ? constantDelay_ : 0; }

}  // namespace velnor7
