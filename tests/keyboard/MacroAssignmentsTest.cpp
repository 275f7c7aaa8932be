// Keys that play macros follow the macro list when a macro is deleted.
#include "keyboard/MacroAssignments.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

KeyListEntry Entry(KeyCode current, KeyCode defaults = {0x20, 0x00, 0x04}) {
    KeyListEntry entry;
    entry.current.code = current;
    entry.defaults.code = defaults;
    return entry;
}

TEST(MacroAssignmentsTest, KeysOfTheDeletedMacroTakeTheirDefaultAndKeysOfLaterMacrosMoveDown) {
    std::vector<KeyListEntry> keys = {
        Entry({0x70, 1, 1}),                    // plays macro 1, the one deleted
        Entry({0x71, 2, 5}),                    // macro 2, five times: becomes macro 1
        Entry({0x70, 0, 1}),                    // macro 0 stays
        Entry({0x20, 0x00, 0x05}),              // no macro at all
        Entry({0x71, 1, 3}, {0x20, 0x00, 0x3A}),  // macro 1 again, with its own default
    };
    EXPECT_EQ(KeysPlayingMacro(keys, 1), (std::vector<size_t>{0, 4}));
    EXPECT_TRUE(ForgetDeletedMacro(keys, 1));
    EXPECT_EQ(keys[0].current.code, (KeyCode{0x20, 0x00, 0x04}));
    EXPECT_EQ(keys[1].current.code, (KeyCode{0x71, 1, 5}));
    EXPECT_EQ(keys[2].current.code, (KeyCode{0x70, 0, 1}));
    EXPECT_EQ(keys[3].current.code, (KeyCode{0x20, 0x00, 0x05}));
    EXPECT_EQ(keys[4].current.code, (KeyCode{0x20, 0x00, 0x3A}));
    // Deleting a macro no key plays changes nothing.
    EXPECT_FALSE(ForgetDeletedMacro(keys, 7));
}

}  // namespace
}  // namespace velnor7
