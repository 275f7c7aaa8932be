// The settings tab of the keyboard page in the main window: the profile's values shown
// without a write, the user's changes stored, saved and sent (the report rate and flags in
// the keyboard's light record, the key repeat to the computer), and a picture of the tab.
#include "shell/MainWindowFixture.h"

#include "common/JsonFile.h"
#include "common/UserNotice.h"
#include "keyboard/KeyboardPayloads.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "shell/Languages.h"
#include "ui/ButtonUI.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/SliderUI.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPlainTextEdit>

namespace velnor7 {
namespace {

using testing::MainWindowTest;
using testing::WaitFor;
using Outcome = KeyboardRepeatResult::Outcome;

// Stands in for the computer's settings: records what it is asked and answers as told.
class RecordingRepeat : public ISystemKeyboardRepeat {
public:
    KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::vector<KeyboardRepeatRequest> requests;
    KeyboardRepeatResult answer{Outcome::Applied, "applied", std::nullopt};
};

class KeyboardSettingsPanelTest : public MainWindowTest {
protected:
    // The window with the keyboard attached and set up, its settings tab in view.
    void OpenSettings() {
        Open();
        ASSERT_TRUE(WaitFor(
            [&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
        auto repeat = std::make_unique<RecordingRepeat>();
        repeat_ = repeat.get();
        Keyboard()->SetSystemRepeat(std::move(repeat));
        Keyboard()->SetFunctionTab(4);
        ASSERT_TRUE(WaitFor([&] { return Control("repeat_input_richedit")->GetWidget()->isVisible(); }));
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    ui::CControlUI* Control(const QString& name) { return Keyboard()->FindSubControl(name); }
    ui::COptionUI* Option(const QString& name) { return dynamic_cast<ui::COptionUI*>(Control(name)); }
    // The profile as its file has it.
    Json::Value StoredStages() { return LoadJsonFile(Keyboard()->GetProfilePath())["Device"][0]["SystemStages"]; }
    // The light record the keyboard holds (the active profile's, at offset 0).
    LightRecord RecordOnKeyboard() const {
        const std::vector<uint8_t> memory = keyboard_->ParameterMemory();
        LightRecord record{};
        std::copy_n(memory.begin(), record.size(), record.begin());
        return record;
    }
    // Puts values into the page's profile and shows them, as a profile switch does.
    void ShowStages(const KeyboardSystemValues& values) {
        Keyboard()->Profile().WriteSystemStages(values);
        ASSERT_EQ(Keyboard()->Profile().Save(), 0);
        keyboard_->ClearReceivedRequests();
        Keyboard()->RefreshPanel();
    }

    RecordingRepeat* repeat_ = nullptr;
};

TEST_F(KeyboardSettingsPanelTest, TheProfilesValuesShowWithoutAWriteAndARateOutsideTheChoicesStaysUntilPicked) {
    OpenSettings();
    const LightRecord attached = RecordOnKeyboard();
    ShowStages({.repeat = 12, .repeatDelay = 2, .key6Flag = 1, .pollingRate = 7, .wFlag = 0, .winFlag = 1});

    EXPECT_TRUE(Option("polling_rate_option_0")->IsSelected());
    for (const char* name : {"polling_rate_option_1", "polling_rate_option_2", "polling_rate_option_3"}) {
        EXPECT_FALSE(Option(name)->IsSelected()) << name;
    }
    EXPECT_TRUE(Option("winlockflag_option")->IsSelected());
    EXPECT_FALSE(Option("wflag_option")->IsSelected());
    EXPECT_TRUE(Option("6flag_option")->IsSelected());
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Control("repeat_rate_slider"))->GetValue(), 12);
    EXPECT_TRUE(Option("repeat_delay_check_2")->IsSelected());
    EXPECT_FALSE(Option("repeat_delay_check_0")->IsSelected());
    const QString title = ui::CResourceManager::Instance().TextOrSelf("Repeat_Delay_Time");
    EXPECT_NE(title, "Repeat_Delay_Time");
    EXPECT_EQ(Control("repeat_delay_time_label1")->GetText(), title + "750ms");
    auto* tryField = static_cast<QPlainTextEdit*>(Control("repeat_input_richedit")->GetWidget());
    EXPECT_TRUE(tryField->toPlainText().isEmpty());
    EXPECT_EQ(tryField->placeholderText(), ui::CResourceManager::Instance().TextOrSelf("Repeat_input_text"));
    // Another language words the label anew.
    ASSERT_TRUE(CLanguages::ApplyLanguage(1));
    EXPECT_EQ(Control("repeat_delay_time_label1")->GetText(), QString::fromUtf8("重复延迟：750ms"));
    ASSERT_TRUE(CLanguages::ApplyLanguage(0));
    // Showing is no change: nothing went to the keyboard or the computer.
    QCoreApplication::processEvents();
    EXPECT_TRUE(keyboard_->ReceivedRequests().empty());
    EXPECT_TRUE(repeat_->requests.empty());
    EXPECT_EQ(StoredStages()["PollingRate"].asInt(), 7);

    // Toggling a flag rewrites the whole record: the lighting as it was, the rate still 7.
    testing::Click(Option("wflag_option"));
    EXPECT_EQ(Requests(kCmdWriteParameters), 1);
    const LightRecord toggled = RecordOnKeyboard();
    EXPECT_EQ(toggled[19], 1);
    EXPECT_EQ(toggled[20], 1);
    EXPECT_EQ(toggled[21], 1);
    EXPECT_EQ(toggled[22], 7);
    EXPECT_TRUE(std::equal(attached.begin(), attached.begin() + 19, toggled.begin()));
    EXPECT_EQ(toggled[25], attached[25]);
    EXPECT_EQ(StoredStages()["WFlag"].asInt(), 1);
    EXPECT_EQ(StoredStages()["PollingRate"].asInt(), 7);
    EXPECT_TRUE(repeat_->requests.empty());

    // Choice 0 is shown, so a click on it picks it although no selection changes.
    testing::Click(Option("polling_rate_option_0"));
    EXPECT_EQ(RecordOnKeyboard()[22], 0);
    EXPECT_EQ(StoredStages()["PollingRate"].asInt(), 0);
    keyboard_->ClearReceivedRequests();
    testing::Click(Option("polling_rate_option_0"));
    EXPECT_EQ(Requests(kCmdWriteParameters), 0);
}

TEST_F(KeyboardSettingsPanelTest, ARatePickWritesTheRecordOnceAndTheRepeatGoesToTheComputerOnly) {
    OpenSettings();
    ShowStages({.repeat = 31, .repeatDelay = 1, .key6Flag = 0, .pollingRate = 0, .wFlag = 0, .winFlag = 0});

    // The pick also deselects choice 0, which notifies too; only the pick is written.
    testing::Click(Option("polling_rate_option_2"));
    EXPECT_EQ(Requests(kCmdWriteParameters), 1);
    EXPECT_EQ(RecordOnKeyboard()[22], 2);
    EXPECT_EQ(StoredStages()["PollingRate"].asInt(), 2);
    EXPECT_FALSE(Option("polling_rate_option_0")->IsSelected());

    keyboard_->ClearReceivedRequests();
    testing::Click(Option("repeat_delay_check_3"));
    ASSERT_EQ(repeat_->requests.size(), 1u);
    EXPECT_EQ(repeat_->requests[0].delay, 3);
    EXPECT_FALSE(repeat_->requests[0].rate.has_value());
    EXPECT_EQ(StoredStages()["RepeatDelay"].asInt(), 3);
    EXPECT_TRUE(Control("repeat_delay_time_label1")->GetText().endsWith("1000ms"));

    auto* slider = dynamic_cast<ui::CSliderUI*>(Control("repeat_rate_slider"));
    testing::DragSlider(slider, 10);
    ASSERT_EQ(repeat_->requests.size(), 2u);
    ASSERT_TRUE(repeat_->requests[1].rate.has_value());
    EXPECT_EQ(*repeat_->requests[1].rate, slider->GetValue());
    EXPECT_LT(slider->GetValue(), 31);
    EXPECT_FALSE(repeat_->requests[1].delay.has_value());
    EXPECT_EQ(StoredStages()["Repeat"].asInt(), slider->GetValue());
    EXPECT_EQ(Requests(kCmdWriteParameters), 0);

    // A computer that refuses the change is named to the user; one without the setting is not.
    const NoticeCapture notices;
    repeat_->answer = {Outcome::Failed, "XKB on :5: the server refused the change", std::nullopt};
    testing::Click(Option("repeat_delay_check_0"));
    EXPECT_TRUE(
        notices.Mentions("The key repeat was not set on this computer: XKB on :5: the server refused the change"));
    repeat_->answer = {Outcome::NotAvailable, "no setting", std::nullopt};
    testing::Click(Option("repeat_delay_check_1"));
    EXPECT_EQ(notices.Notices().size(), 1u);
    EXPECT_EQ(StoredStages()["RepeatDelay"].asInt(), 1);

    testing::TypeInto(Control("repeat_input_richedit"), "aaaa");
    testing::Click(Control("reset_repeat_btn"));
    EXPECT_TRUE(static_cast<QPlainTextEdit*>(Control("repeat_input_richedit")->GetWidget())->toPlainText().isEmpty());
}

TEST_F(KeyboardSettingsPanelTest, TheSettingsTabFitsTheWindowAndRendersToAPicture) {
    OpenSettings();
    ShowStages({.repeat = 20, .repeatDelay = 1, .key6Flag = 0, .pollingRate = 0, .wFlag = 1, .winFlag = 1});
    QCoreApplication::processEvents();
    QWidget* window = window_->GetWidget();
    const QRect inside = window->rect();
    for (const char* name : {"polling_rate_option_0", "polling_rate_option_3", "winlockflag_option", "6flag_option",
                             "repeat_rate_slider", "repeat_delay_time_label1", "repeat_delay_check_0",
                             "repeat_delay_check_3", "repeat_input_richedit", "reset_repeat_btn"}) {
        QWidget* widget = Control(name)->GetWidget();
        const QRect where(widget->mapTo(window, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(!where.isEmpty() && inside.contains(where)) << name << " lies outside the window";
    }
    const QString folder = QDir::temp().filePath("velnor7-keyboard-settings");
    QDir().mkpath(folder);
    EXPECT_TRUE(window->grab().save(folder + "/settings.png", "PNG"));
}

}  // namespace
}  // namespace velnor7
