// What recording makes of captured keys and mouse buttons: the event of a new row, the
// pause that belongs to the row before it, and the repeats that must not become rows.
// Plain data in, plain data out: the macro editor panel places the rows.
#pragma once

#include "macros/MacroEvent.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace velnor7 {

// Where a recorded event goes in the event list.
enum class EventPlacement { Append = 0, Before = 1, After = 2, Replace = 3 };
inline constexpr size_t kEventPlacements = 4;

enum class RecordTimeMode {
    Measured = 1,  // the pause the user made
    Constant = 2,  // the constant delay after every event
    Ignored = 3,   // no pause
};

// The window system's numbers of key and mouse messages, as the hook delivers them.
namespace input_message {
inline constexpr unsigned kKeyDown = 0x100;
inline constexpr unsigned kKeyUp = 0x101;
inline constexpr unsigned kSystemKeyDown = 0x104;
inline constexpr unsigned kMouseMove = 0x200;
inline constexpr unsigned kLeftDown = 0x201;
inline constexpr unsigned kLeftUp = 0x202;
inline constexpr unsigned kRightDown = 0x204;
inline constexpr unsigned kRightUp = 0x205;
inline constexpr unsigned kMiddleDown = 0x207;
inline constexpr unsigned kMiddleUp = 0x208;
inline constexpr unsigned kXButtonDown = 0x20B;
inline constexpr unsigned kXButtonUp = 0x20C;
// The X button number of an X button message.
inline constexpr int kXButtonBack = 1;
inline constexpr int kXButtonForward = 2;
}  // namespace input_message

// A mouse button event as a macro holds it.
struct MouseEventRow {
    unsigned message;
    uint8_t button;    // "Button"
    uint8_t typeByte;  // "Type" in the low bits, bit 7 set for a press
    const char* nameId;
};
inline constexpr size_t kMouseEventRows = 10;
extern const std::array<MouseEventRow, kMouseEventRows> MouseEventTable;

// The button rows of an X button message: forward (rows 6/7) or back (rows 8/9).
const MouseEventRow* XButtonRow(unsigned message, bool forward);

struct RecordedEvent {
    MacroEvent event;    // "Delay" left at 0: the row's placement decides it
    std::string nameId;  // the label of the key or button
};

class MacroRecorder {
public:
    static constexpr size_t kMaxRecordedRows = 4000;
    static constexpr uint16_t kInitialConstantDelay = 50;

    // A recording starts: pauses are measured from `nowMs`.
    void Start(RecordTimeMode mode, uint64_t nowMs);
    RecordTimeMode TimeMode() const { return timeMode_; }
    uint16_t ConstantDelay() const { return constantDelay_; }
    void SetConstantDelay(uint16_t delay) { constantDelay_ = delay; }

    // The event of a key message (scan code and E0 flag), or none when the key is not one a
    // macro can hold or is a repeat that the placement's handler already has down.
    std::optional<RecordedEvent> TakeKey(EventPlacement placement, unsigned message, uint8_t scanCode, bool extended);
    // The event of a mouse button message (`xButton` is the X button number of X button
    // messages), or none for another message or a repeat of the handler's last one.
    std::optional<RecordedEvent> TakeButton(EventPlacement placement, unsigned message, int xButton);

    // The pause that belongs to the row before a new one; in the measured mode it runs from
    // the last event (or the start) and is cut to 65535.
    uint16_t TakeDelay(uint64_t nowMs);
    // What a new row (not the first of the list) shows as its own pause.
    uint16_t NewRowDelay() const;

    // Whether an event has been handled since the panel was made.
    bool EventSeen() const { return eventSeen_; }
    void SetEventSeen() { eventSeen_ = true; }

private:
    struct PressedKey {
        uint8_t scanCode = 0;
        bool extended = false;
        bool operator==(const PressedKey&) const = default;
    };

    RecordTimeMode timeMode_ = RecordTimeMode::Measured;
    uint16_t constantDelay_ = kInitialConstantDelay;
    uint64_t lastTickMs_ = 0;
    bool eventSeen_ = false;
    // Each placement's handler keeps its own memories, as separate handlers would.
    std::array<PressedKey, kEventPlacements> lastPressedKey_{};
    std::array<unsigned, kEventPlacements> lastButtonMessage_{};
};

}  // namespace velnor7
