#pragma once
// What an event row of the macro editor shows: the language id of the key, button or move.

#include "macros/MacroEvent.h"

#include <string>

namespace velnor7 {

// The name id of the event's key (types 9 and 10), mouse button (1, 2, 3) or move (4, 5);
// "mouse_text" for a button the table does not know, empty for a key it does not know.
std::string MacroEventNameId(const MacroEvent& event);
// Whether the row shows the mouse style (types 1 to 5) rather than the keyboard's.
bool IsMouseEvent(const MacroEvent& event);

}  // namespace velnor7
