// Translation between key assignments and the values the key assignment panel
// shows and edits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/KeyCode.h"

namespace velnor7 {

constexpr int kNoSelection = -1;  // no combo item / no option of a group selected

// Modifier choices of the keyboard-key category; left and right keys alike.
enum ModifierChoice : int {
    kModifierNone = 0,
    kModifierCtrl = 1,
    kModifierShift = 2,
    kModifierAlt = 3,
    kModifierWin = 4,
};

// The panel's controls as plain values. Only the fields of the category at hand
// are read or written; numbers typed by the user are taken as they are and cut
// to a byte when encoded.
struct PanelValues {
    int selectedRow = kNoSelection;     // mouse button, DPI, media, system, combo key: table row
    int delay = 0;                      // swing, wheel: 0..15
    int speed = 0;                      // swing, wheel: 0..15
    int direction = 0;                  // swing, wheel: 1 = the second direction item
    int count = 0;                      // swing, wheel: 0..127; fire: clicks
    int interval = 0;                   // fire
    int modifierChoice = kNoSelection;  // keyboard key: a ModifierChoice
    uint8_t keyUsage = 0;               // keyboard key: HID usage of the captured key, 0 = field empty
    int macroCount = 0;                 // macro: number of macros in the list
    int macroNumber = kNoSelection;     // macro: item of the macro combo
    int runMode = kNoSelection;         // macro: 0..3, or 4 = repeat repeatCount times
    int repeatCount = 0;                // macro, run mode 4
    int gunKeyNumber = kNoSelection;    // gun key: item of the gun-key combo

    bool operator==(const PanelValues&) const = default;
};

struct CategoryMatch {
    std::optional<FunctionCategory> category;  // none: a code the panel cannot show
    int row = kNoSelection;                    // row of the category's table, where it has one
};

// The category of an assignment; an assignment equal to the key's default
// assignment is category Default.
CategoryMatch CategoryOf(const KeyAssignment& assignment, const KeyAssignment& defaultAssignment);

struct KeyboardKeyDecoding {
    int modifierChoice = kNoSelection;
    std::optional<size_t> keyRow;  // key code table row whose name the key field shows
    KeyCode code;                  // the code as shown: parts the panel cannot show are cleared
};

// How a keyboard-key code (type 0x20, p1 below 129) is shown. Several modifier
// bits cannot be shown and are dropped (choice none); a key the table does not
// know is dropped too when no modifier is set.
KeyboardKeyDecoding DecodeKeyboardKey(const KeyCode& code);

// Modifier choice of key code table row 0..7.
int ModifierChoiceForRow(size_t row);
// The left-hand modifier bit of a choice; 0 for none or anything unknown.
uint8_t ModifierBitForChoice(int choice);

struct DecodedAssignment {
    std::optional<FunctionCategory> category;  // none: the panel hides itself
    PanelValues values;
    std::string_view keyName;                  // keyboard key: language id shown in the key field
    KeyAssignment assignment;                  // the assignment as shown, to become the panel's current one
};

// Everything the panel shows for an assignment. macroCount is the length of
// the macro list; a macro number outside it selects no macro and no run mode.
DecodedAssignment Decode(const KeyAssignment& assignment, const KeyAssignment& defaultAssignment, int macroCount);

// The assignment the panel's values stand for. The first two bytes are kept from
// `current`; when the category's choice is missing (no combo item, no macro,
// empty macro list) `current` is returned unchanged.
KeyAssignment Encode(FunctionCategory category, const PanelValues& values, const KeyAssignment& current,
                     const KeyAssignment& defaultAssignment);

}  // namespace velnor7
