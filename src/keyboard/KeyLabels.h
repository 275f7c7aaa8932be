// What a key's label says about its assignment: the name of the key, button, media key or
// function it plays, as language ids (or, for macros, the macro's own name). A key whose label
// differs from its own name shows the reassignment mark.
#pragma once

#include "core/KeyCode.h"

#include <optional>
#include <string>
#include <vector>

namespace velnor7 {

struct KeyLabel {
    // Joined with "+"; each part a language id, or a text to show as it is.
    struct Part {
        std::string text;
        bool languageId = true;
        bool operator==(const Part&) const = default;
    };
    std::vector<Part> parts;
    bool operator==(const KeyLabel&) const = default;
};

// The label of an assignment; none where the key keeps its previous label (an assignment
// the label table has no row for, or a macro beyond the list).
std::optional<KeyLabel> LabelOfAssignment(const KeyCode& code, const std::vector<std::string>& macroNames);

}  // namespace velnor7
