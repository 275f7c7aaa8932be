#include "keyboard/MacroAssignments.h"

namespace velnor7 {

bool PlaysMacro(const KeyAssignment& assignment) {
    return assignment.code.type == kMacroAssignment || assignment.code.type == kMacroAssignmentRepeated;
}

std::vector<size_t> KeysPlayingMacro(const std::vector<KeyListEntry>& keys, int macro) {
    std::vector<size_t> playing;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (PlaysMacro(keys[i].current) && keys[i].current.code.p1 == macro) playing.push_back(i);
    }
    return playing;
}

bool ForgetDeletedMacro(std::vector<KeyListEntry>& keys, int deleted) {
    bool changed = false;
    for (KeyListEntry& entry : keys) {
        if (!PlaysMacro(entry.current)) continue;
        if (entry.current.code.p1 == deleted) {
            entry.current = entry.defaults;
            changed = true;
        } else if (entry.current.code.p1 > deleted) {
            --entry.current.code.p1;
            changed = true;
        }
    }
    return changed;
}

}  // namespace velnor7
