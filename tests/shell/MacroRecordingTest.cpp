// The macro tab in the window, used as a user uses it: recording from the keys and buttons the
// session's capture reports, editing, writing to the keyboard, and deleting a macro that keys
// play. The capture is the tests' own, except in the test under an X server of its own.
#include "shell/CaptureWindowFixture.h"
#include "shell/ShowMessage.h"
#include "support/PrivateXServer.h"
#include "support/Xdotool.h"

#include "common/JsonFile.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "macros/MacroLibrary.h"
#include "macros/panel/MacroControlUI.h"
#include "macros/recorder/DeviceHook.h"
#include "platform/X11InputCapture.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "ui/ListUI.h"
#include "ui/PaintManagerUI.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::CaptureWindowTest;
using testing::WaitFor;

// Linux key codes.
constexpr int kKeyLeftCtrl = 29;
constexpr int kKeyA = 30;
constexpr int kKeyS = 31;
constexpr int kKeyA_Index = 64;  // the keyboard's KeyIndex of A, and of S after it
constexpr int kKeyS_Index = 65;

class MacroRecordingTest : public CaptureWindowTest {
protected:
    void SetUp() override {
        CaptureWindowTest::SetUp();
        SetMessageAnswerer([this](const QString&, const QString& text, int buttons) {
            if (buttons == CMsgWnd::kConfirmAndCancel) {
                asked_.push_back(text);
                return answers_.isEmpty() || answers_.takeFirst() ? CMsgWnd::kConfirmed : CMsgWnd::kCancelled;
            }
            told_.push_back(text);
            return CMsgWnd::kConfirmed;
        });
    }
    void TearDown() override {
        SetMessageAnswerer({});
        CaptureWindowTest::TearDown();
    }

    // The window with the keyboard configured and its macro tab shown.
    void OpenMacroTab() {
        Open();
        ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut(); }));
        Click(KeyboardPage()->ProfileBar()->FindSubControl("macro_Op_tab"));
        ASSERT_NE(Panel(), nullptr);
        ASSERT_TRUE(Panel()->GetWidget()->isVisible());
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    CMacroControlUI* Panel() { return KeyboardPage()->MacroPanel(); }
    ui::CControlUI* Control(const char* name) { return Panel()->FindSubControl(name); }
    ui::CListUI* Actions() { return dynamic_cast<ui::CListUI*>(Control("macro_action_list")); }
    ui::CListUI* Names() { return dynamic_cast<ui::CListUI*>(Control("macro_name_list")); }
    bool SelectorEnabled() { return window_->FindControl("device_select_layout")->IsEnabled(); }
    bool ProfileBarEnabled() { return KeyboardPage()->FindSubControl("device_profile_layout")->IsEnabled(); }
    fs::path Folder() const { return fs::path(UserDataDirectory("keyboard")); }
    std::vector<MacroEvent> SavedEvents(size_t macro) const {
        MacroLibrary library(Folder());
        library.LoadList();
        return library.LoadMacroEvents(macro).events;
    }
    // Macros named and filled as an earlier session left them.
    void MakeMacros(int count) {
        MacroLibrary library(Folder());
        library.LoadList();
        for (int i = 0; i < count; ++i) {
            const AddedMacro added = library.AddMacro();
            ASSERT_EQ(library.SaveMacroEvents(added.index, {MacroEvent{kMacroKey, "down", 4 + i, 10}}), MacroStatus::Ok);
        }
        Panel()->LoadMacroList();
    }
    void ConstantDelay(const char* milliseconds) {
        auto* check = dynamic_cast<ui::COptionUI*>(Control("macro_check_time"));
        if (!check->IsSelected()) Click(check);
        Control("macro_fixed_time_edit")->SetText(milliseconds);
    }

    QList<bool> answers_;  // the answers to the questions, in order; yes once they run out
    QStringList asked_;
    QStringList told_;
};

TEST_F(MacroRecordingTest, ARecordedMacroIsSavedAndWrittenToTheKeyboardsMacroMemory) {
    OpenMacroTab();
    Click(Control("macro_btn_name_add"));
    ASSERT_EQ(Names()->GetCount(), 1);
    ConstantDelay("30");

    Click(Control("macro_btn_starredio"));
    ASSERT_TRUE(input_->running);
    EXPECT_TRUE(input_->swallowing);
    EXPECT_EQ(window_->MacroPanels().Hook().Mode(), CDeviceHook::kMacroAppend);
    EXPECT_FALSE(SelectorEnabled());
    EXPECT_FALSE(ProfileBarEnabled());
    EXPECT_FALSE(Control("macro_capture_hint")->IsVisible());

    input_->Key(kKeyLeftCtrl, true);
    input_->Key(kKeyA, true);
    input_->Key(kKeyA, true);  // held
    input_->Key(kKeyA, false);
    input_->Key(kKeyLeftCtrl, false);
    input_->Button(kLeftButton, true, 5, 5);
    input_->Button(kLeftButton, false, 5, 5);
    EXPECT_EQ(Actions()->GetCount(), 6);
    Click(Control("macro_btn_stopredio"));
    EXPECT_FALSE(input_->running);
    EXPECT_TRUE(SelectorEnabled());
    EXPECT_TRUE(ProfileBarEnabled());

    const std::vector<MacroEvent> saved = SavedEvents(0);
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(saved[1], (MacroEvent{kMacroKey, "down", 0x04, 30}));

    Click(Control("macro_btn_write"));
    EXPECT_TRUE(told_.isEmpty()) << told_.join("\n").toStdString();
    const std::vector<uint8_t> memory = keyboard_->MacroMemory();
    const std::vector<uint8_t> expected{
        0xAA, 0x55, 46, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header: length, one macro
        18, 0,                                                    // its block
        6, 0, 0, 0,                                               // six events
        30, 0, 0x89, 0x01, 30, 0, 0x8A, 0x04, 30, 0, 0x0A, 0x04,  // Ctrl down, A down, A up
        30, 0, 0x09, 0x01, 30, 0, 0x81, 0x01, 30, 0, 0x01, 0x01,  // Ctrl up, left button down, up
    };
    ASSERT_GE(memory.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_TRUE(window_->NoticeText().contains("written to the keyboard")) << window_->NoticeText().toStdString();
}

TEST_F(MacroRecordingTest, ACaptureThatCannotStartIsToldAndLeavesThePanelAsItWas) {
    OpenMacroTab();
    Click(Control("macro_btn_name_add"));
    input_->refuse = true;
    Click(Control("macro_btn_starredio"));
    ASSERT_EQ(told_.size(), 1);
    EXPECT_EQ(told_[0], "Recording could not start: another program holds the keyboard");
    EXPECT_FALSE(Panel()->IsRecording());
    EXPECT_TRUE(Control("macro_btn_starredio")->IsVisible());
    EXPECT_TRUE(SelectorEnabled());
    EXPECT_FALSE(window_->MacroPanels().Hook().Installed());
}

TEST_F(MacroRecordingTest, OnlyTheProgramsOwnInputIsSeenWhereTheSessionAllowsNoMoreAndThePanelSaysSo) {
    OpenMacroTab();
    Click(Control("macro_btn_name_add"));
    input_->global = false;
    Click(Control("macro_btn_starredio"));
    EXPECT_TRUE(Control("macro_capture_hint")->IsVisible());
    Click(Control("macro_btn_stopredio"));
    input_->global = true;
    Click(Control("macro_btn_starredio"));
    EXPECT_FALSE(Control("macro_capture_hint")->IsVisible());
}

TEST_F(MacroRecordingTest, TheRowMenuInsertsClicksAndRecordsAfterTheSelectedRow) {
    OpenMacroTab();
    MakeMacros(1);
    Names()->SelectItem(0);
    ASSERT_EQ(Actions()->GetCount(), 1);
    Actions()->SelectItem(0, false);

    window_->MacroPanels().OnMenuItem("right_click");
    EXPECT_EQ(SavedEvents(0), (std::vector<MacroEvent>{{kMacroKey, "down", 4, 10},
                                                       {kMacroMouseButton, "down", 0x02, 50},
                                                       {kMacroMouseButton, "up", 0x02, 50}}));

    Actions()->SelectItem(0, false);
    window_->MacroPanels().OnMenuItem("redio_later_ignore_time");
    ASSERT_TRUE(input_->running);
    EXPECT_EQ(window_->MacroPanels().Hook().Mode(), CDeviceHook::kMacroAfter);
    input_->Tap(kKeyS);
    Click(Control("macro_btn_stopredio"));
    const std::vector<MacroEvent> saved = SavedEvents(0);
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[1], (MacroEvent{kMacroKey, "down", 0x16, 0}));
    EXPECT_EQ(saved[2], (MacroEvent{kMacroKey, "up", 0x16, 0}));

    // A typed pause is saved when its edit loses the focus.
    ui::CControlUI* delay = ui::CPaintManagerUI::FindSubControlByName(Actions()->GetItemAt(4), "macro_delay");
    delay->SetText("77");
    delay->SendNotify("killfocus");
    EXPECT_EQ(SavedEvents(0)[4].delayMs, 77);
}

TEST_F(MacroRecordingTest, DeletingAMacroGivesItsKeysTheirDefaultAndMovesTheKeysOfLaterMacrosDown) {
    OpenMacroTab();
    MakeMacros(3);
    std::vector<KeyListEntry> keys = KeyboardPage()->KeyAssignments();
    keys[kKeyA_Index].current.code = KeyCode{0x70, 0, 0};  // the first macro
    keys[kKeyS_Index].current.code = KeyCode{0x70, 1, 0};  // the second
    KeyboardPage()->StoreKeyAssignments(keys);
    Names()->SelectItem(0);

    // Declining either question changes nothing.
    answers_ = {false};
    Click(Control("macro_btn_name_sub"));
    answers_ = {true, false};
    Click(Control("macro_btn_name_sub"));
    EXPECT_EQ(Names()->GetCount(), 3);
    EXPECT_EQ(asked_, (QStringList{"Delete this macro?", "Delete this macro?",
                                   "Keys are assigned to this macro. They go back to their default function. Go on?"}));

    Click(Control("macro_btn_name_sub"));
    EXPECT_EQ(Names()->GetCount(), 2);
    keys = KeyboardPage()->KeyAssignments();
    EXPECT_EQ(keys[kKeyA_Index].current, keys[kKeyA_Index].defaults);
    EXPECT_EQ(keys[kKeyS_Index].current.code, (KeyCode{0x70, 0, 0}));
    // The profile file and the keyboard have it too.
    const Json::Value file = LoadJsonFile(KeyboardPage()->GetProfilePath());
    EXPECT_EQ(file["Device"][0]["KeyList"][kKeyS_Index]["Assignment"].asUInt(), 0x700000u);
    EXPECT_EQ(keyboard_->MacroMemory()[4], 2);  // two macros
    const size_t slotA = Keyboard()->Configurator().Maps().slots[kKeyA_Index];
    EXPECT_EQ(keyboard_->KeyMapMemory()[3 * slotA + 2], 0x04);
    EXPECT_TRUE(told_.isEmpty());
}

TEST_F(MacroRecordingTest, ARecordingEndsWhenItsPageGoesAndTheKeyCaptureMessageInstallsAndRemoves) {
    OpenMacroTab();
    Click(Control("macro_btn_name_add"));
    Click(Control("macro_btn_starredio"));
    input_->Tap(kKeyA);
    window_->HideEntry(window_->EntryOf(KeyboardPage()));
    EXPECT_FALSE(input_->running);
    EXPECT_FALSE(Panel()->IsRecording());
    EXPECT_EQ(SavedEvents(0).size(), 2u);

    ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{CMainWnd::kMsgHook, 1, 0, {}});
    EXPECT_TRUE(input_->running);
    EXPECT_EQ(window_->MacroPanels().Hook().Mode(), CDeviceHook::kSingleKey);
    ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{CMainWnd::kMsgHook, 0, 0, {}});
    EXPECT_FALSE(input_->running);
}

// The real capture of an X session, typed into and clicked by xdotool as another program.
TEST_F(MacroRecordingTest, KeysAndClicksOfAnXSessionBecomeRows) {
    if (!testing::PrivateXServer::Installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    testing::PrivateXServer server;
    ASSERT_FALSE(server.Display().isEmpty()) << server.Log().toStdString();
    CDeviceHook::OverrideSessionCapture([&](IInputCapture::Post post, IInputCapture::KeyHandler onKey,
                                           IInputCapture::ButtonHandler onButton) {
        return MakeX11InputCapture(server.Display().toStdString(), std::move(post), std::move(onKey), std::move(onButton));
    });
    OpenMacroTab();
    Click(Control("macro_btn_name_add"));
    ConstantDelay("20");
    Click(Control("macro_btn_starredio"));
    ASSERT_TRUE(window_->MacroPanels().Hook().Installed());
    ASSERT_TRUE(testing::Xdotool(server.Display(), {"keydown", "a", "sleep", "0.3", "keyup", "a", "mousemove", "50", "60",
                                                     "click", "3", "click", "9"}));
    ASSERT_TRUE(WaitFor([&] { return Actions()->GetCount() >= 6; }));
    Click(Control("macro_btn_stopredio"));
    EXPECT_FALSE(window_->MacroPanels().Hook().Installed());
    EXPECT_EQ(SavedEvents(0), (std::vector<MacroEvent>{{kMacroKey, "down", 0x04, 20}, {kMacroKey, "up", 0x04, 20},
                                                       {kMacroMouseButton, "down", 0x02, 20}, {kMacroMouseButton, "up", 0x02, 20},
                                                       {kMacroMouseButton, "down", 0x10, 20}, {kMacroMouseButton, "up", 0x10, 20}}));
}

}  // namespace
}  // namespace velnor7
