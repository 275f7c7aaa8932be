// The key assignment panel in the window, used as a user uses it: a key picked on the on-screen
// keyboard, its function chosen by category, keys captured from the session, and the key map and
// macros sent to the keyboard emulator.
#include "shell/CaptureWindowFixture.h"
#include "shell/ShowMessage.h"

#include "core/page/DeviceKeyButtonUI.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "macros/MacroLibrary.h"
#include "macros/panel/MacroControlUI.h"
#include "macros/recorder/DeviceHook.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

using testing::Click;
using testing::CaptureWindowTest;
using testing::WaitFor;

constexpr int kKeyA = 64;
constexpr int kKeyS = 65;
// Linux key codes.
constexpr int kLinuxRightShift = 54;
constexpr int kLinuxA = 30;

class KeySetPanelTest : public CaptureWindowTest {
protected:
    void SetUp() override {
        CaptureWindowTest::SetUp();
        SetMessageAnswerer([this](const QString&, const QString& text, int) {
            told_.push_back(text);
            return CMsgWnd::kConfirmed;
        });
    }
    void TearDown() override {
        SetMessageAnswerer({});
        CaptureWindowTest::TearDown();
    }

    void OpenKeyTab() {
        Open();
        ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut(); }));
        Click(KeyboardPage()->ProfileBar()->FindSubControl("key_Op_tab"));
        ASSERT_NE(Panel(), nullptr);
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    CKeySetControlUI* Panel() { return Keyboard()->KeySetPanel(); }
    ui::CControlUI* Control(const char* name) { return Panel()->FindSubControl(name); }
    ui::CComboUI* Combo(const char* name) { return dynamic_cast<ui::CComboUI*>(Control(name)); }
    void ChooseCategory(FunctionCategory category) {
        ui::CComboUI* categories = Combo("keyset_function_combo");
        for (int item = 0; item < categories->GetCount(); ++item) {
            if (categories->GetItemAt(item)->GetUserData().toInt() == static_cast<int>(category)) categories->SelectItem(item);
        }
    }
    void Modifier(int choice) {
        dynamic_cast<ui::COptionUI*>(Control(("key_ComBox_check_" + std::to_string(choice)).c_str()))->Selected(true);
    }
    KeyCode Stored(int key) { return KeyboardPage()->KeyAssignments()[static_cast<size_t>(key)].current.code; }
    std::vector<uint8_t> SlotCode(int key) {
        const size_t slot = Keyboard()->Configurator().Maps().slots[static_cast<size_t>(key)];
        const std::vector<uint8_t> memory = keyboard_->KeyMapMemory();
        return {memory.begin() + 3 * slot, memory.begin() + 3 * slot + 3};
    }
    void PickKey(int key) { Click(KeyboardPage()->GetKeyButton(key)); }

    QStringList told_;
};

TEST_F(KeySetPanelTest, AKeyIsPickedAndGivenAKeyboardKeyCapturedFromTheSession) {
    OpenKeyTab();
    EXPECT_FALSE(Panel()->KeyShown());
    PickKey(kKeyA);
    ASSERT_TRUE(Panel()->KeyShown());
    EXPECT_EQ(Control("keyset_key_name")->GetText(), "A");
    EXPECT_EQ(Combo("keyset_function_combo")->GetItemAt(Combo("keyset_function_combo")->GetCurSel())->GetUserData(), "0");

    ChooseCategory(FunctionCategory::KeyboardKey);
    Control("keyset_keyboard_text_edit")->SendNotify("setfocus");
    ASSERT_TRUE(input_->running);
    EXPECT_EQ(window_->MacroPanels().Hook().Mode(), CDeviceHook::kSingleKey);

    // A right-hand modifier becomes the left-hand bit, with an empty key field.
    input_->Key(kLinuxRightShift, true);
    EXPECT_EQ(Stored(kKeyA), (KeyCode{0x20, 0x02, 0x00}));
    EXPECT_TRUE(Control("keyset_keyboard_text_edit")->GetText().isEmpty());
    // Ctrl, then A.
    Modifier(1);
    input_->Key(kLinuxA, true);
    input_->Key(kLinuxA, false);
    EXPECT_EQ(Stored(kKeyA), (KeyCode{0x20, 0x01, 0x04}));
    EXPECT_EQ(Control("keyset_keyboard_text_edit")->GetText(), "A");
    EXPECT_FALSE(KeyboardPage()->GetKeyButton(kKeyA)->IsKeySetImageHidden());
    EXPECT_TRUE(KeyboardPage()->GetKeyButton(kKeyA)->GetWidget()->toolTip().endsWith("Left Ctrl+A"));
    // A key the table does not know changes nothing.
    EXPECT_FALSE(Panel()->TakeCapturedKey(0x22, true));
    EXPECT_EQ(Stored(kKeyA), (KeyCode{0x20, 0x01, 0x04}));

    Control("keyset_keyboard_text_edit")->SendNotify("killfocus");
    EXPECT_FALSE(input_->running);
    EXPECT_TRUE(Control("key_butt_prosave")->IsEnabled());
}

TEST_F(KeySetPanelTest, DefaultThenCancelShowsTheStoredAssignmentAgainWithoutStoring) {
    OpenKeyTab();
    PickKey(kKeyS);
    ChooseCategory(FunctionCategory::Media);
    Combo("keyset_media_combo")->SelectItem(1);  // play/pause
    const KeyCode media = Stored(kKeyS);
    EXPECT_EQ(media.type, 0x30);
    Click(Control("key_butt_keydefalut"));
    EXPECT_EQ(Combo("keyset_function_combo")->GetItemAt(Combo("keyset_function_combo")->GetCurSel())->GetUserData(), "0");
    EXPECT_EQ(Stored(kKeyS), media) << "showing the default stores nothing";
    Click(Control("key_butt_keycancel"));
    EXPECT_EQ(Combo("keyset_media_combo")->GetCurSel(), 1);
    EXPECT_EQ(Stored(kKeyS), media);
    EXPECT_FALSE(Control("key_butt_keysave")->IsEnabled());
}

TEST_F(KeySetPanelTest, AMacroAndAMediaKeyAreSentToTheKeyboard) {
    OpenKeyTab();
    MacroLibrary library{std::filesystem::path(UserDataDirectory("keyboard"))};
    library.LoadList();
    ASSERT_EQ(library.SaveMacroEvents(library.AddMacro().index, {MacroEvent{kMacroKey, "down", 4, 10},
                                                                  MacroEvent{kMacroKey, "up", 4, 0}}),
              MacroStatus::Ok);
    KeyboardPage()->MacroPanel()->LoadMacroList();
    KeyboardPage()->LoadLists();
    ASSERT_EQ(Combo("keyset_macro_combo")->GetCount(), 1);

    PickKey(kKeyA);
    ChooseCategory(FunctionCategory::Macro);
    Combo("keyset_macro_combo")->SelectItem(0);
    Combo("keyset_macro_over_combo")->SelectItem(4);
    EXPECT_TRUE(Control("keyset_macro_cycle_layout")->IsVisible());
    Control("keyset_macro_cycle_edit")->SetText("5");
    Control("keyset_macro_cycle_edit")->SendNotify("killfocus");
    EXPECT_EQ(Stored(kKeyA), (KeyCode{0x71, 0x00, 0x05}));

    PickKey(kKeyS);
    ChooseCategory(FunctionCategory::Media);
    Combo("keyset_media_combo")->SelectItem(1);
    const KeyCode media = Stored(kKeyS);

    Click(Control("key_butt_prosave"));
    EXPECT_TRUE(told_.isEmpty()) << told_.join("\n").toStdString();
    EXPECT_EQ(SlotCode(kKeyA), (std::vector<uint8_t>{0x71, 0x00, 0x05}));
    EXPECT_EQ(SlotCode(kKeyS), (std::vector<uint8_t>{media.type, media.p1, media.p2}));
    const std::vector<uint8_t> memory = keyboard_->MacroMemory();
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 30, 0, 1, 0}));
    EXPECT_EQ(std::vector<uint8_t>(memory.begin() + 18, memory.begin() + 30),
              (std::vector<uint8_t>{2, 0, 0, 0, 10, 0, 0x8A, 0x04, 0, 0, 0x0A, 0x04}));
    EXPECT_FALSE(Control("key_butt_prosave")->IsEnabled());

    // And every key back to its factory function, after a question.
    Click(Control("key_butt_restoreall"));
    ASSERT_EQ(told_.size(), 1);
    EXPECT_TRUE(told_[0].startsWith("Give every key its factory function again?"));
    EXPECT_EQ(SlotCode(kKeyA), (std::vector<uint8_t>{0x20, 0x00, 0x04}));
    EXPECT_EQ(SlotCode(kKeyS), (std::vector<uint8_t>{0x20, 0x00, 0x16}));
    EXPECT_EQ(Stored(kKeyS), (KeyCode{0x20, 0x00, 0x16}));
    EXPECT_EQ(Combo("keyset_function_combo")->GetItemAt(Combo("keyset_function_combo")->GetCurSel())->GetUserData(), "0");
}

}  // namespace
}  // namespace velnor7
