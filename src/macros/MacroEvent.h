// One recorded or edited input event of a macro, as the macro files keep it and
// as the device's macro memory holds it.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velnor7 {

// Values of "Type".
enum MacroEventType : int {
    kMacroMouseButton = 1,
    kMacroHorizontalMove = 4,
    kMacroVerticalMove = 5,
    kMacroModifierKey = 9,
    kMacroKey = 10,
};

inline constexpr std::string_view kMacroActionDown = "down";  // press, or negative move
inline constexpr std::string_view kMacroActionUp = "up";      // release, or positive move
inline constexpr uint16_t kMaxMacroDelay = 65535;

struct MacroEvent {
    int type = 0;            // "Type", a MacroEventType
    std::string action;      // "Action", kept as read: only exactly "down" is a press
    int button = 0;          // "Button": HID usage, modifier bit, mouse button or distance
    uint16_t delayMs = 0;    // "Delay": milliseconds to wait after the event

    bool operator==(const MacroEvent&) const = default;
};

// The leading decimal digits of the text as milliseconds; 0 when there are none,
// kMaxMacroDelay when they name more.
uint16_t ParseMacroDelay(std::string_view text);

// An event object of a macro file. "Delay" may be a string or a JSON integer;
// missing or mistyped members read as 0 or empty.
MacroEvent MacroEventFromJson(const Json::Value& object);

// The event object as the editor saves it, with "Delay" as a decimal string.
Json::Value MacroEventToJson(const MacroEvent& event);

// The four bytes of the device's macro memory: delay low, delay high, "Type"
// (low 7 bits) with bit 7 set for exactly "down", "Button" (low byte).
std::array<uint8_t, 4> MacroEventDeviceForm(const MacroEvent& event);

// The events of a parsed macro file in playing order; elements of "Events" that
// are not objects are skipped, and a document without "Events" has none.
std::vector<MacroEvent> MacroEventsFromDocument(const Json::Value& document);

}  // namespace velnor7
