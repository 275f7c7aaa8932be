// The on-screen keys say what they do: a tooltip with the key's name and its function, and a
// mark on every key whose function is not its own name; the FN key takes paint but no function.
#include "shell/MainWindowFixture.h"

#include "core/page/DeviceKeyButtonUI.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "profiles/panel/DeviceProfileUI.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

using testing::Click;
using testing::MainWindowTest;
using testing::WaitFor;

constexpr int kKeyA = 64;
constexpr int kKeyS = 65;
constexpr int kKeyD = 66;
constexpr int kKeyWithoutName = 62;
constexpr int kKeyFn = 110;

class KeyLabelsTest : public MainWindowTest {
protected:
    void OpenAttached() {
        Open();
        ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut(); }));
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    CDeviceKeyButtonUI* Key(int key) { return KeyboardPage()->GetKeyButton(key); }
    void Assign(int key, KeyCode code) {
        std::vector<KeyListEntry> keys = KeyboardPage()->KeyAssignments();
        keys[static_cast<size_t>(key)].current.code = code;
        KeyboardPage()->StoreKeyAssignments(keys);
    }
    QString Tip(int key) { return Key(key)->GetWidget()->toolTip(); }
};

TEST_F(KeyLabelsTest, ReassignedKeysAreMarkedAndTheirTipsSayWhatTheyDo) {
    OpenAttached();
    EXPECT_TRUE(Key(kKeyS)->IsKeySetImageHidden());
    EXPECT_EQ(Tip(kKeyS), "<b>S</b><br/>S → S");
    // A key without a name of its own does nothing: it is marked "Off".
    EXPECT_FALSE(Key(kKeyWithoutName)->IsKeySetImageHidden());
    EXPECT_EQ(Tip(kKeyWithoutName), " → Off");

    Assign(kKeyA, KeyCode{0x20, 0x01, 0x04});
    EXPECT_FALSE(Key(kKeyA)->IsKeySetImageHidden());
    EXPECT_EQ(Tip(kKeyA), "<b>A</b><br/>A → Left Ctrl+A");
    Assign(kKeyD, KeyCode{0x30, 0xCD, 0x00});
    EXPECT_EQ(Tip(kKeyD), "<b>D</b><br/>D → Play/Pause");
    // Back to its own code: the mark goes.
    Assign(kKeyA, KeyCode{0x20, 0x00, 0x04});
    EXPECT_TRUE(Key(kKeyA)->IsKeySetImageHidden());
}

TEST_F(KeyLabelsTest, TheFnKeyCanBePaintedButNotReassigned) {
    OpenAttached();
    CDeviceProfileUI* bar = KeyboardPage()->ProfileBar();
    Click(bar->FindSubControl("key_Op_tab"));
    EXPECT_FALSE(Key(kKeyFn)->IsEnabled());
    EXPECT_TRUE(Key(kKeyA)->IsEnabled());
    Click(bar->FindSubControl("deng_Op_tab"));
    EXPECT_TRUE(Key(kKeyFn)->IsEnabled());
}

}  // namespace
}  // namespace velnor7
