#include "macros/MacroEvent.h"

namespace velnor7 {
namespace {

int IntMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isInt() ? value.asInt() : 0;
}

uint16_t DelayMember(const Json::Value& object) {
    const Json::Value& value = object["Delay"];
    if (value.isString()) return ParseMacroDelay(value.asString());
    if (value.isUInt64()) return value.asUInt64() > kMaxMacroDelay ? kMaxMacroDelay : static_cast<uint16_t>(value.asUInt64());
    return 0;
}

}  // namespace

uint16_t ParseMacroDelay(std::string_view text) {
    uint32_t milliseconds = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        milliseconds = milliseconds * 10 + static_cast<uint32_t>(c - '0');
        // Stops before the sum can overflow, however many digits follow.
        if (milliseconds > kMaxMacroDelay) return kMaxMacroDelay;
    }
    return static_cast<uint16_t>(milliseconds);
}

MacroEvent MacroEventFromJson(const Json::Value& object) {
    MacroEvent event;
    if (!object.isObject()) return event;
    event.type = IntMember(object, "Type");
    event.button = IntMember(object, "Button");
    const Json::Value& action = object["Action"];
    if (action.isString()) event.action = action.asString();
    event.delayMs = DelayMember(object);
    return event;
}

Json::Value MacroEventToJson(const MacroEvent& event) {
    Json::Value object(Json::objectValue);
    object["Type"] = event.type;
    object["Action"] = event.action;
    object["Button"] = event.button;
    object["Delay"] = std::to_string(event.delayMs);
    return object;
}

std::array<uint8_t, 4> MacroEventDeviceForm(const MacroEvent& event) {
    const uint8_t pressBit = event.action == kMacroActionDown ? 0x80 : 0x00;
    return {static_cast<uint8_t>(event.delayMs & 0xFF), static_cast<uint8_t>(event.delayMs >> 8),
            static_cast<uint8_t>((event.type & 0x7F) | pressBit), static_cast<uint8_t>(event.button & 0xFF)};
}

std::vector<MacroEvent> MacroEventsFromDocument(const Json::Value& document) {
    std::vector<MacroEvent> events;
    if (!document.isObject()) return events;
    const Json::Value& list = document["Events"];
    if (!list.isArray()) return events;
    for (const Json::Value& element : list)
        if (element.isObject()) events.push_back(MacroEventFromJson(element));
    return events;
}

}  // namespace velnor7
