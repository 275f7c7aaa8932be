#include "macros/panel/MacroEventNames.h"

#include "keyboard/KeyCodeTable.h"
#include "macros/recorder/MacroRecorder.h"

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
    for (const MouseEventRow& row : MouseEventTable) {
        if (row.button == event.button) return row.nameId;
    }
    return "mouse_text";
}

}  // namespace velnor7
