// The keyboard page's profile bar in the window, used as a user uses it: its buttons, its
// combo and its tabs, with the keyboard emulator taking what every switch writes.
#include "shell/MainWindowFixture.h"
#include "shell/ShowMessage.h"

#include "common/JsonFile.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "macros/MacroLibrary.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "ui/FileDialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::MainWindowTest;
using testing::WaitFor;

// Answers the questions as told and keeps what was said.
struct AnsweringMessages {
    bool answer = true;
    QStringList asked;
    QStringList told;
    int Answer(const QString& text, int buttons) {
        if (buttons == CMsgWnd::kConfirmAndCancel) {
            asked.push_back(text);
            return answer ? CMsgWnd::kConfirmed : CMsgWnd::kCancelled;
        }
        told.push_back(text);
        return CMsgWnd::kConfirmed;
    }
};

class ChosenFiles : public ui::IFileDialogs {
public:
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString& filter) override {
        filters.push_back(filter);
        return open;
    }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString& filter, const QString& suggested,
                                    const QString&) override {
        filters.push_back(filter);
        suggestedName = suggested;
        return save;
    }
    std::optional<QString> open;
    std::optional<QString> save;
    QString suggestedName;
    QStringList filters;
};

class ProfileBarTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetMessageAnswerer([this](const QString&, const QString& text, int buttons) { return messages_.Answer(text, buttons); });
        ui::SetFileDialogs(&files_);
    }
    void TearDown() override {
        SetMessageAnswerer({});
        ui::SetFileDialogs(nullptr);
        MainWindowTest::TearDown();
    }

    // The window with the keyboard read and configured.
    void OpenAttached() {
        Open();
        ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    CDeviceProfileUI* Bar() { return KeyboardPage()->ProfileBar(); }
    ui::CComboUI* Combo() { return dynamic_cast<ui::CComboUI*>(Bar()->FindSubControl("device_profile_combo")); }
    ui::CControlUI* BarControl(const char* name) { return Bar()->FindSubControl(name); }
    QStringList ComboTexts() {
        QStringList texts;
        for (int i = 0; i < Combo()->GetCount(); ++i) texts << Combo()->GetItemAt(i)->GetText();
        return texts;
    }
    void OpenMenu() {
        if (!Bar()->IsMenuVisible()) Click(BarControl("profile_fun_spread_btn"));
        ASSERT_TRUE(Bar()->IsMenuVisible());
    }
    std::string UserFolder() const { return UserDataDirectory("keyboard"); }
    Json::Value List() const { return LoadJsonFile(UserFolder() + "ProfileList.ini"); }
    std::string UuidAt(int index) const { return List()["profilelist"][index]["profileUUID"].asString(); }
    std::string ProfilePath(int index) const { return UserFolder() + UuidAt(index) + ".Json"; }
    // Changes the profile file at `index` as an earlier session could have.
    void EditProfile(int index, int lightMode, uint32_t keyA) const {
        Json::Value file = LoadJsonFile(ProfilePath(index));
        file["Device"][0]["LightInfo"]["SelectItem"] = lightMode;
        file["Device"][0]["KeyList"][64]["Assignment"] = keyA;
        ASSERT_EQ(wirtejsonFile(ProfilePath(index), file), 0);
    }
    std::vector<uint8_t> SlotCode(int key) {
        const size_t slot = Keyboard()->Configurator().Maps().slots[static_cast<size_t>(key)];
        const std::vector<uint8_t> memory = keyboard_->KeyMapMemory();
        return {memory.begin() + 3 * slot, memory.begin() + 3 * slot + 3};
    }

    AnsweringMessages messages_;
    ChosenFiles files_;
};

TEST_F(ProfileBarTest, TheBarShowsTheProfilesAndTheKeyboardsTabs) {
    OpenAttached();
    EXPECT_EQ(ComboTexts(), QStringList{"profile1"});
    EXPECT_EQ(Bar()->GetNameEditText(), "profile1");
    EXPECT_EQ(KeyboardPage()->GetProfileId(), UuidAt(0));
    EXPECT_FALSE(Bar()->IsMenuVisible());
    for (const char* shown : {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}) {
        EXPECT_TRUE(BarControl(shown)->IsVisible()) << shown;
    }
    for (const char* hidden : {"cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"}) {
        EXPECT_FALSE(BarControl(hidden)->IsVisible()) << hidden;
    }
    EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(BarControl("deng_Op_tab"))->IsSelected());

    // The settings tab shows the key-function page of the settings; clicking it again keeps it.
    Click(BarControl("system_Op_tab"));
    EXPECT_EQ(KeyboardPage()->GetFunctionTab(), 4);
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(KeyboardPage()->FindSubControl("device_key_function_switch"))->GetCurSel(), 2);
    EXPECT_FALSE(dynamic_cast<ui::COptionUI*>(BarControl("deng_Op_tab"))->IsSelected());
    Click(BarControl("system_Op_tab"));
    EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(BarControl("system_Op_tab"))->IsSelected());
    EXPECT_EQ(KeyboardPage()->GetFunctionTab(), 4);
}

TEST_F(ProfileBarTest, OnlyTheLastOfQuickPicksIsLoadedAndTheSwitchRewritesTheKeyboard) {
    OpenAttached();
    OpenMenu();
    Click(BarControl("device_add_btn"));
    Click(BarControl("device_add_btn"));
    ASSERT_EQ(ComboTexts(), (QStringList{"profile1", "profile2", "profile3"}));
    EXPECT_EQ(Combo()->GetCurSel(), 0) << "adding keeps the profile shown";
    EditProfile(1, 7, 0x200005);  // A becomes B
    EditProfile(2, 9, 0x200006);  // A becomes C
    MacroLibrary macros{fs::path(UserFolder())};
    macros.LoadList();
    ASSERT_EQ(macros.SaveMacroEvents(macros.AddMacro().index, {MacroEvent{kMacroKey, "down", 4, 10}}), MacroStatus::Ok);

    // Both picks and the expiry in one turn of the UI thread: the real timer cannot come between.
    Combo()->SelectItem(1);
    EXPECT_EQ(window_->TimerInterval(CMainWnd::kTimerProfileSwitch), 400);
    Combo()->SelectItem(2);
    EXPECT_EQ(window_->TimerInterval(CMainWnd::kTimerProfileSwitch), 400);
    EXPECT_EQ(KeyboardPage()->GetProfileId(), UuidAt(0));
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    EXPECT_FALSE(window_->HasTimer(CMainWnd::kTimerProfileSwitch));

    EXPECT_EQ(KeyboardPage()->GetProfileId(), UuidAt(2));
    EXPECT_EQ(List()["profileselect"].asInt(), 2);
    EXPECT_EQ(Bar()->GetNameEditText(), "profile3");
    EXPECT_EQ(keyboard_->ParameterMemory()[1], 9);
    EXPECT_EQ(SlotCode(64), (std::vector<uint8_t>{0x20, 0x00, 0x06}));
    const std::vector<uint8_t> macroMemory = keyboard_->MacroMemory();
    EXPECT_EQ(std::vector<uint8_t>(macroMemory.begin(), macroMemory.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 26, 0, 1, 0}));

    // And back: the keyboard follows again.
    Combo()->SelectItem(1);
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    EXPECT_EQ(keyboard_->ParameterMemory()[1], 7);
    EXPECT_EQ(SlotCode(64), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
}

TEST_F(ProfileBarTest, CopyRenameAndDeleteFromTheMenu) {
    OpenAttached();
    OpenMenu();
    Click(BarControl("device_copy_btn"));
    EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "profile1 copy"}));

    Bar()->SetNameEditText({});
    testing::TypeInto(BarControl("device_profile_name_edit"), "Game");
    Click(BarControl("device_profile_edit_save_btn"));
    EXPECT_EQ(ComboTexts(), (QStringList{"Game", "profile1 copy"}));
    Bar()->SetNameEditText({});
    testing::TypeInto(BarControl("device_profile_name_edit"), "PROFILE1 COPY");
    Click(BarControl("device_profile_edit_save_btn"));
    ASSERT_EQ(messages_.told.size(), 1);
    EXPECT_EQ(messages_.told[0], "This name is empty or taken already. Choose another name.");
    EXPECT_EQ(ComboTexts(), (QStringList{"Game", "profile1 copy"}));

    // Deleting asks first; declined, nothing changes.
    Combo()->SelectItem(1, false);
    messages_.answer = false;
    Click(BarControl("device_sub_btn"));
    EXPECT_EQ(messages_.asked.size(), 1);
    EXPECT_EQ(ComboTexts().size(), 2);
    const std::string deleted = UuidAt(1);
    messages_.answer = true;
    Click(BarControl("device_sub_btn"));
    EXPECT_EQ(ComboTexts(), QStringList{"Game"});
    EXPECT_FALSE(fs::exists(UserFolder() + deleted + ".Json"));
    // The page switches to the profile now selected.
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(window_->TimerInterval(CMainWnd::kTimerProfileSwitch), 400);
    // The last profile stays.
    Click(BarControl("device_sub_btn"));
    EXPECT_EQ(ComboTexts(), QStringList{"Game"});
}

TEST_F(ProfileBarTest, ImportAndExportGoThroughTheFileDialogs) {
    OpenAttached();
    OpenMenu();
    const fs::path exported = fs::path(UserFolder()).parent_path().parent_path() / "exported.json";
    files_.save = QString::fromStdString(exported.string());
    Click(BarControl("device_export_btn"));
    EXPECT_EQ(files_.suggestedName, "profile1.json");
    EXPECT_EQ(LoadJsonFile(exported.string()), LoadJsonFile(ProfilePath(0)));

    files_.open = files_.save;
    Click(BarControl("device_import_btn"));
    EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "profile1(1)"}));
    EXPECT_EQ(files_.filters, (QStringList{"Profile Files(*.json)", "Profile Files(*.json)"}));
    // A file that is no profile is refused with the reason.
    Json::Value other;
    other["something"] = 1;
    ASSERT_EQ(wirtejsonFile(exported.string(), other), 0);
    Click(BarControl("device_import_btn"));
    EXPECT_EQ(ComboTexts().size(), 2);
    EXPECT_TRUE(window_->NoticeText().contains("is no profile"));
}

TEST_F(ProfileBarTest, ResetAsksFirstThenTheKeyboardTakesTheDefaults) {
    OpenAttached();
    const int defaultMode = keyboard_->ParameterMemory()[1];
    OpenMenu();
    Click(BarControl("device_add_btn"));
    EditProfile(1, (defaultMode + 3) % 20, 0x200005);
    Combo()->SelectItem(1);
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    ASSERT_EQ(keyboard_->ParameterMemory()[1], (defaultMode + 3) % 20);
    ASSERT_EQ(SlotCode(64), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    messages_.answer = false;
    Click(BarControl("device_reset_btn"));
    EXPECT_EQ(LoadJsonFile(ProfilePath(1))["Device"][0]["LightInfo"]["SelectItem"].asInt(), (defaultMode + 3) % 20);

    messages_.answer = true;
    Click(BarControl("device_reset_btn"));
    EXPECT_EQ(LoadJsonFile(ProfilePath(1))["Device"][0]["LightInfo"]["SelectItem"].asInt(), defaultMode);
    EXPECT_EQ(keyboard_->ParameterMemory()[1], defaultMode);
    EXPECT_EQ(SlotCode(64), (std::vector<uint8_t>{0x20, 0x00, 0x04})) << "A is A again";
    bool kept = false;
    for (const auto& entry : fs::directory_iterator(UserFolder())) {
        kept |= entry.path().filename().string().find(".before-reset-") != std::string::npos;
    }
    EXPECT_TRUE(kept);
}

TEST_F(ProfileBarTest, ThePageHasTheLightNamesAndThePresetStepsOfTheModeItsProfilePlays) {
    OpenAttached();
    const LightNameLists& names = Keyboard()->LightNames();
    ASSERT_EQ(names.presets.size(), 3u);  // the shipped list, while the user has none
    EXPECT_EQ(names.presets[0], "Aurora");
    EXPECT_FALSE(names.modes.empty());

    OpenMenu();
    Click(BarControl("device_add_btn"));
    EditProfile(1, 0, 0x200004);  // mode 0 plays the first preset
    Combo()->SelectItem(1);
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    EXPECT_EQ(Keyboard()->Profile().GetPresetSteps().size(), 4u);
    // A mode past the user's presets plays nothing.
    EditProfile(1, 5, 0x200004);
    Combo()->SelectItem(0);
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    Combo()->SelectItem(1);
    window_->ExpireTimer(CMainWnd::kTimerProfileSwitch);
    EXPECT_TRUE(Keyboard()->Profile().GetPresetSteps().empty());
}

}  // namespace
}  // namespace velnor7
