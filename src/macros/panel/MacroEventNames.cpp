#include "macros/panel/MacroEventNames.h"

#include "keyboard/KeyCodeTable.h"

namespace velnor7 {

bool IsMouseEvent(const MacroEvent& event) { return event.type >= kMacroMouseButton && event.type <= kMacroVerticalMove; }

std::string MacroEventNameId(const MacroEvent& event) {
    const bool down = event.action == kMacroActionDown;
    switch (event.type) {
    case kMacroKey: {
        const auto row = RowForKeyUsage(static_cast<uint8_t>(event.button));
        return row ? std::string(KeyCodeTable[*row].nameId) : std::string();
    }
    case kMacroModifierKey:
        for (size_t row = 0; row < kModifierRowCount; ++row) {
            if (KeyCodeTable[row].code.p1 == event.button) return std::string(KeyCodeTable[row].nameId);
        }
        return {};
    case kMacroHorizontalMove:
        return down ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
    case kMacroVerticalMove:
        return down ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
    default:
        break;
    }
    switch (event.button) {
    case 0x01: return "mouse_key_left";
    case 0x02: return "mouse_key_right";
    case 0x04: return "mouse_key_middle";
    case 0x08: return "mouse_key_back";
    case 0x10: return "mouse_key_forward";
    default: return "mouse_text";
    }
}

}  // namespace velnor7
