// What a key's label says for each kind of assignment.
#include "keyboard/KeyLabels.h"

#include <gtest/gtest.h>

namespace velnor7 {

void PrintTo(const KeyLabel& label, std::ostream* out) {
    for (const KeyLabel::Part& part : label.parts) *out << (part.languageId ? "#" : "") << part.text << " ";
}

namespace {

KeyLabel Ids(std::initializer_list<const char*> ids) {
    KeyLabel label;
    for (const char* id : ids) label.parts.push_back({id, true});
    return label;
}

TEST(KeyLabelsTest, EachKindOfAssignmentHasItsLabel) {
    const std::vector<std::string> macros{"Combo", "Build"};
    struct Case {
        KeyCode code;
        std::optional<KeyLabel> label;
    };
    const Case cases[] = {
        {{0x20, 0x00, 0x04}, Ids({"keyboard_key_A"})},
        {{0x20, 0x01, 0x04}, Ids({"keyboard_key_LCtrl", "keyboard_key_A"})},
        {{0x20, 0x03, 0x00}, Ids({"keyboard_key_LCtrl", "keyboard_key_LShift"})},
        {{0x20, 0x22, 0x1E}, Ids({"keyboard_key_LShift", "keyboard_key_RShift", "keyboard_key_1"})},
        {{0x20, 0x00, 0x00}, Ids({"close_text"})},
        {{0x00, 0x00, 0x00}, Ids({"close_text"})},
        {{0x10, 0x04, 0x00}, Ids({"mouse_key_middle"})},
        {{0x11, 0x00, 0x85}, Ids({"mouse_key_right_Swing"})},
        {{0x12, 0x00, 0x05}, Ids({"mouse_key_up_Swing"})},
        {{0x13, 0x03, 0x00}, Ids({"mouse_key_DPI_loop"})},
        {{0x22, 0x00, 0x01}, Ids({"custem_copy"})},
        {{0x30, 0xCD, 0x00}, Ids({"media_play"})},
        {{0x40, 0x02, 0x00}, Ids({"system_sleep"})},
        {{0x71, 0x01, 0x05}, KeyLabel{{{"Build", false}}}},
        {{0x70, 0x02, 0x00}, std::nullopt},  // beyond the list: the key keeps its label
        {{0xA0, 0x02, 0x00}, Ids({"mouse_key_smart_key"})},
        {{0xA0, 0x1B, 0x00}, Ids({"keyboard_key_GM"})},
        {{0x15, 0x00, 0x00}, std::nullopt},
        {{0x72, 0x05, 0x00}, KeyLabel{{{"关闭", false}}}},  // a gun key, which a keyboard cannot play
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LabelOfAssignment(c.code, macros), c.label)
            << std::hex << int(c.code.type) << " " << int(c.code.p1) << " " << int(c.code.p2);
    }
}

}  // namespace
}  // namespace velnor7
