// The emulator's factory key map and the host's default key table were
// transcribed separately; a byte where they differ is a wrong key on one side.
#include "keyboard/DefaultKeyTable.h"
#include "sim/KeyboardEmulator.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

TEST(FactoryKeyMap, EmulatorAndHostAgreeOnEveryKey) {
    const KeyboardEmulator keyboard;
    const std::vector<uint8_t> keyMap = keyboard.KeyMapMemory();
    ASSERT_GE(keyMap.size(), DefaultKeyTable.size() * 3);
    for (size_t key = 0; key < DefaultKeyTable.size(); ++key) {
        const KeyCode code{keyMap[key * 3], keyMap[key * 3 + 1], keyMap[key * 3 + 2]};
        EXPECT_EQ(code, DefaultKeyTable[key]) << "KeyIndex " << key << " (" << KeyName(static_cast<int>(key)) << ")";
    }
}

}  // namespace
}  // namespace velnor7
