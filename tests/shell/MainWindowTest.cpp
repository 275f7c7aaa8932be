// The main window end to end, offscreen, over the simulated bus: pages and entries built from
// the shipped skin, discovery attaching and removing the keyboard, the selector rules, the
// messages of other programs and of the system.
#include "shell/MainWindowFixture.h"

#include "common/JsonFile.h"
#include "common/Trace.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/MpDevicePowerUI.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "shell/Languages.h"
#include "shell/SimulatedDevices.h"
#include "ui/ProgressUI.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>

namespace velnor7 {
namespace {

using testing::MainWindowTest;
using testing::WaitFor;

TEST_F(MainWindowTest, AKeyboardPresentAtStartIsAttachedInTheFirstScanAndTheWindowComesToTheFront) {
    TraceCapture trace;
    Open();
    ASSERT_TRUE(WaitFor([&] { return KeyboardPage()->CommandChannel().IsOpen(); }));
    ASSERT_TRUE(WaitFor([&] { return KeyboardPage()->ConsumerChannel().IsOpen(); }));
    EXPECT_TRUE(KeyboardEntry()->IsShown());
    EXPECT_TRUE(KeyboardEntry()->IsSelected());
    EXPECT_EQ(window_->SelectedPage(), KeyboardPage());
    EXPECT_FALSE(NoDeviceShown());
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    EXPECT_TRUE(trace.Contains("添加一个键盘设备"));
    // Each kind has its page, power panel and hidden entry; the keyboard page has its keys.
    for (int kind = 0; kind < CMainWnd::kKinds; ++kind) EXPECT_EQ(window_->Pages(kind).size(), 1u);
    EXPECT_EQ(KeyboardPage()->GetKeyCount(), 126);
    EXPECT_NE(KeyboardPage()->GetKeyButton(0), nullptr);
    EXPECT_NE(KeyboardPage()->GetLightButton(125), nullptr);
    // 500 ms after the attach the keyboard is read out and gets its light record; it runs
    // its lighting itself, so no frames are streamed to it.
    EXPECT_TRUE(WaitFor([&] { return Requests(kCmdWriteParameters) > 0; }));
    EXPECT_EQ(Requests(kCmdReadKeyLedMap) > 0, true);
    EXPECT_EQ(Requests(kCmdStreamLedFrame), 0);
}

TEST_F(MainWindowTest, WithoutADeviceTheWindowShowsNoDeviceAfterTheFirstScan) {
    bus_->Unplug(busNumber_);
    TraceCapture trace;
    Open();
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(window_->SelectedPage(), nullptr);
    EXPECT_FALSE(window_->FirstVisibleEntry().found);
    EXPECT_TRUE(trace.Contains("软件标示 " + std::to_string(ui::RegisterWindowMessage("VELNOR7")) + "，0d0d"));
}

// What the window looks like when it first shows, recorded at that moment.
class FirstShowRecorder : public QObject {
public:
    explicit FirstShowRecorder(std::function<void()> record) : record_(std::move(record)) {}
    int shows = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && ++shows == 1) record_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> record_;
};

TEST_F(MainWindowTest, TheWindowIsShownOnceCompleteAndOnlyAfterTheFirstScan) {
    bool keyboardAttachedThen = false;
    QSize sizeThen;
    window_ = std::make_unique<CMainWnd>();
    window_->Create(nullptr, "VELNOR7");
    FirstShowRecorder recorder([&] {
        keyboardAttachedThen = KeyboardPage()->CommandChannel().IsOpen() && !NoDeviceShown();
        sizeThen = window_->GetWidget()->size();
    });
    window_->GetWidget()->installEventFilter(&recorder);
    window_->InitialiseHidden();
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    ASSERT_TRUE(WaitFor([&] { return Requests(kCmdWriteParameters) > 0; }));
    EXPECT_EQ(recorder.shows, 1) << "no show before the first scan, and no second one after it";
    EXPECT_TRUE(keyboardAttachedThen) << "the first scan had attached the keyboard before the window showed";
    EXPECT_EQ(sizeThen, window_->GetWidget()->minimumSize()) << "sized before it showed";
    // The whole keyboard fits the smallest window.
    const QWidget* keys = KeyboardPage()->GetSelectPanel()->GetWidget();
    const QRect keysInWindow(keys->mapTo(window_->GetWidget(), QPoint(0, 0)), keys->size());
    EXPECT_TRUE(window_->GetWidget()->rect().contains(keysInWindow)) << "keys at " << keysInWindow.x() << ","
                                                                     << keysInWindow.y() << " size " << keys->width()
                                                                     << "x" << keys->height();
    window_->GetWidget()->removeEventFilter(&recorder);
}

TEST_F(MainWindowTest, APageNobodySeesStopsItsFramesAndTheWindowWakesThemWhenShownAgain) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return Requests(kCmdWriteParameters) > 0; }));
    // The pointer over the window: the preview is watched.
    ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{ui::wm::kMouseHover, 0, 0, {}}, nullptr);
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->FramePeriodMs() > 0 && KeyboardPage()->PreviewSeen(); }));

    window_->GetWidget()->hide();
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->FramePeriodMs() == 0; })) << "no timer runs for nobody";
    EXPECT_FALSE(KeyboardPage()->PreviewSeen()) << "and the preview thread idles";

    // Shown again under the pointer: the frames run from that moment, not a timer later.
    window_->GetWidget()->show();
    ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{ui::wm::kMouseHover, 0, 0, {}}, nullptr);
    EXPECT_GT(KeyboardEntry()->FramePeriodMs(), 0);
    EXPECT_TRUE(KeyboardPage()->PreviewSeen());
}

TEST_F(MainWindowTest, ACaptionDoubleClickMaximisesAndTheCaptionButtonsFollow) {
    Open();
    QWidget* widget = window_->GetWidget();
    ASSERT_TRUE(WaitFor([&] { return widget->isVisible(); }));
    testing::DoubleClickAt(widget, QPoint(widget->width() / 2, 20));
    ASSERT_TRUE(WaitFor([&] { return widget->isMaximized(); }));
    EXPECT_FALSE(window_->FindControl("maxbtn")->IsVisible());
    EXPECT_TRUE(window_->FindControl("restorebtn")->IsVisible());
    testing::Click(window_->FindControl("restorebtn"));
    ASSERT_TRUE(WaitFor([&] { return !widget->isMaximized(); }));
    EXPECT_TRUE(window_->FindControl("maxbtn")->IsVisible());
    EXPECT_FALSE(window_->FindControl("restorebtn")->IsVisible());
}

// How soon discovery notices is its own rule (one cycle), tested on discovery itself.
TEST_F(MainWindowTest, PullingTheKeyboardOutHidesItsEntry) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsShown(); }));
    KeyboardPage()->CommandChannel().SetSynced(true);
    TraceCapture trace;
    bus_->Unplug(busNumber_);
    ASSERT_TRUE(WaitFor([&] { return !KeyboardEntry()->IsShown(); }));
    EXPECT_TRUE(WaitFor([&] { return !KeyboardPage()->ConsumerChannel().IsOpen(); }));
    EXPECT_FALSE(KeyboardPage()->CommandChannel().IsOpen());
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_FALSE(KeyboardPage()->CommandChannel().Synced());
    const std::vector<std::string> lines = trace.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "删除一个键盘设备"), 2);

    // Back in: shown and selected again.
    busNumber_ = bus_->Plug(keyboard_);
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsShown() && KeyboardEntry()->IsSelected(); }));
}

TEST_F(MainWindowTest, ASecondEntryKeepsTheSelectionAndRemovingTheSelectedOneSelectsTheOther) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsShown(); }));
    const int mouse = window_->EntryOf(window_->Pages(kKindMouse).front());
    window_->ShowEntry(mouse, true, false);
    EXPECT_TRUE(KeyboardEntry()->IsSelected());
    EXPECT_FALSE(window_->Entry(mouse)->IsSelected());
    EXPECT_TRUE(KeyboardPage()->SeveralDevicesShown());
    EXPECT_EQ(window_->FirstVisibleEntry().count, 2);

    window_->HideEntry(window_->EntryOf(KeyboardPage()));
    EXPECT_TRUE(window_->Entry(mouse)->IsSelected());
    EXPECT_EQ(window_->SelectedPage(), window_->Pages(kKindMouse).front());
    EXPECT_EQ(window_->FindControlAs<ui::CTabLayoutUI>("device_switch")->GetCurSel(),
              window_->Entry(mouse)->GetTabIndex());
    EXPECT_FALSE(KeyboardPage()->SeveralDevicesShown());
}

TEST_F(MainWindowTest, AnotherStartBringsTheHiddenWindowBack) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    testing::Click(window_->FindControl("closebtn"));
    EXPECT_FALSE(window_->GetWidget()->isVisible() && !window_->GetWidget()->isMinimized());
    ui::PostWindowMessage(window_->GetHWND(), ui::WindowMessage{ui::RegisterWindowMessage("VELNOR7"), 0, 1, {}});
    EXPECT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible() && !window_->GetWidget()->isMinimized(); }));
}

TEST_F(MainWindowTest, AfterSuspendNoFramesAreSentUntilResumeAndOnlyWithLightControl) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsShown(); }));
    // The lit pages stop their output while the system sleeps (the page tests show that a
    // page without output sends no frames).
    window_->OnSleep(true);
    EXPECT_FALSE(window_->Awake());
    for (int kind : {kKindKeyboard, kKindMouse, kKindMousePad}) EXPECT_FALSE(window_->Pages(kind).front()->LightOutput());
    window_->OnSleep(false);
    EXPECT_TRUE(KeyboardPage()->LightOutput());
    EXPECT_TRUE(window_->Pages(kKindMousePad).front()->LightOutput());

    // Another program takes the lights: frames stop, and a resume does not bring them back.
    ui::PostWindowMessage(window_->GetHWND(), ui::WindowMessage{ui::RegisterWindowMessage(
                                                                    "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}"),
                                                                1, 0, {}});
    ASSERT_TRUE(WaitFor([&] { return !window_->LightControl(); }));
    EXPECT_EQ(window_->FindControl("control_light_status")->GetRawText(), "不控制灯光");
    window_->OnSleep(true);
    window_->OnSleep(false);
    EXPECT_FALSE(KeyboardPage()->LightOutput());
    testing::Click(window_->FindControl("control_light_status"));
    EXPECT_TRUE(window_->LightControl());
    EXPECT_TRUE(KeyboardPage()->LightOutput());
}

TEST_F(MainWindowTest, TheTrayTogglesTheWindowAndItsMenuEndsTheProgram) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    const auto tray = [&](std::intptr_t button) {
        ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{CMainWnd::kMsgTray, 0, button, {}});
    };
    tray(ui::wm::kTrayLeftButtonUp);
    EXPECT_FALSE(window_->GetWidget()->isVisible());
    tray(ui::wm::kTrayLeftButtonUp);
    EXPECT_TRUE(window_->GetWidget()->isVisible());
    EXPECT_EQ(window_->GetWidget()->size(), QSize(1099, 741));

    // "exit" from the menu stops discovery and ends the message loop.
    TraceCapture trace;
    QTimer::singleShot(0, [&] {
        ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{CMainWnd::kMsgMenu, 0, 0, "exit"});
    });
    // The program's own message loop (a local loop would leave the application quitting).
    QTimer neverArrived;  // ends the loop only if "exit" never arrives; gone with the test
    neverArrived.setSingleShot(true);
    QObject::connect(&neverArrived, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    neverArrived.start(30000);
    EXPECT_EQ(ui::CWindowWnd::MessageLoop(), 0);
    EXPECT_TRUE(trace.Contains("抓取设备线程设定退出"));
}

TEST_F(MainWindowTest, TheLanguageComboSwitchesEveryText) {
    Open();
    auto* languages = window_->FindControlAs<ui::CComboUI>("Language_combox");
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(languages->GetCount(), 2);
    EXPECT_EQ(window_->FindControl("control_light_status")->GetText(), "Lights: on");
    testing::PickComboItem(languages, 1);
    EXPECT_EQ(window_->FindControl("control_light_status")->GetText(), "灯光：本程序控制");
    // The choice is remembered for the next start.
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 1);
    testing::PickComboItem(languages, 0);
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 0);
}

TEST_F(MainWindowTest, EntriesShowTheirKindsIconsAndThePowerPanelShowsTheStatus) {
    Open();
    CDeviceOptionUI* pad = window_->Entry(window_->EntryOf(window_->Pages(kKindMousePad).front()));
    pad->SetDeviceType(3, 1);
    EXPECT_EQ(pad->GetImages()[3], "common/device_ico/soft_mp_device_normal.png");
    pad->SetDeviceType(3, 0);
    EXPECT_EQ(pad->GetImages()[2], "common/device_ico/hard_mp_device_selected.png");
    pad->SetDeviceType(3, 5);  // another role keeps what it had
    EXPECT_EQ(pad->GetImages()[2], "common/device_ico/hard_mp_device_selected.png");

    auto panels = ui::CPaintManagerUI::FindSubControlsByClass(window_->FindControl("device_power_switch"), "MpDevicePower");
    ASSERT_EQ(panels.size(), 4u);
    auto* power = dynamic_cast<CMpDevicePowerUI*>(panels[2]);  // the mouse pad's
    ASSERT_NE(power, nullptr);
    power->ShowPowerStatus({35, 1, 0, 0, 0, 7});
    EXPECT_EQ(power->FindSubControl("device_power_value")->GetText(), "35%");
    EXPECT_EQ(dynamic_cast<ui::CProgressUI*>(power->FindSubControl("device_Power_progress"))->GetValue(), 65);
    EXPECT_EQ(power->FindSubControl("device_power_status")->GetBkImage(), "power/powering.png");
    EXPECT_EQ(power->FindSubControl("device_phone_type")->GetBkImage(), "power/Phone_type_no_device.png");
    // A panel of another kind leaves the phone alone.
    auto* mousePower = dynamic_cast<CMpDevicePowerUI*>(panels[0]);
    mousePower->ShowPowerStatus({80, 1, 0, 1, 0, 1});
    EXPECT_FALSE(mousePower->FindSubControl("device_Power_progress")->IsVisible());
    EXPECT_EQ(mousePower->FindSubControl("device_power_status")->GetBkImage(), "power/wuxian_powering.png");
    EXPECT_EQ(mousePower->FindSubControl("device_phone_type")->GetBkImage(), "power/Phone_type_no_device.png");
    EXPECT_TRUE(mousePower->FindSubControl("device_wuxian_logo")->IsVisible());
}

TEST_F(MainWindowTest, TheSettingsWindowOpensOnceAndClosesWithItsButton) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return window_->GetWidget()->isVisible(); }));
    bool sawIt = false;
    QTimer::singleShot(100, [&] {
        sawIt = window_->SettingsWindow() != 0;
        // A second request while it is open opens nothing more.
        ui::SendWindowMessage(window_->GetHWND(), ui::WindowMessage{CMainWnd::kMsgOpenSettings, 0, 0, {}});
        ui::PostWindowMessage(window_->SettingsWindow(), ui::WindowMessage{ui::wm::kClose, 0, 0, {}});
    });
    testing::Click(window_->FindControl("setbtn"));
    EXPECT_TRUE(sawIt);
    EXPECT_EQ(window_->SettingsWindow(), 0u);
}

TEST_F(MainWindowTest, TheAttachedKeyboardTakesItsProfileAndAChangeOnTheKeyboardReachesTheProfileFile) {
    Open();
    auto* keyboard = dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage());
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Requests(kCmdWriteParameters) > 0; }));
    // The light record of the profile (a copy of the default profile) is at offset 0.
    const LightRecord expected = BuildLightRecord(keyboard->Profile().ReadLightInfo(), keyboard->Profile().ReadSystemStages());
    const std::vector<uint8_t> memory = keyboard_->ParameterMemory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    // The key map the default profile implies is the keyboard's own: nothing differs, and the
    // keyboard's memory already holds it.
    const std::vector<uint8_t> impliedKeyMap = BuildKeyMapBuffer(
        keyboard->Configurator().ReportedKeyMap(), keyboard->Configurator().Maps().slots, keyboard->Profile().ReadKeyList());
    const std::vector<uint8_t> keyMap = keyboard_->KeyMapMemory();
    ASSERT_EQ(impliedKeyMap.size(), 378u);
    EXPECT_TRUE(std::equal(impliedKeyMap.begin(), impliedKeyMap.end(), keyMap.begin()));
    // A fresh profile has no macros, so the macro memory is left as it is.
    EXPECT_EQ(Requests(kCmdWriteMacroData), 0);
    const std::string profileFile = keyboard->GetProfilePath();
    ASSERT_FALSE(profileFile.empty());

    // The user changes the mode on the keyboard itself; it reports the change.
    const std::vector<uint8_t> changed{0, 9, 2, 1, 0, 0, 12, 34, 56};
    ASSERT_TRUE(keyboard_->SetParameterBytes(0, changed));
    ASSERT_TRUE(keyboard_->SendNotification(0x401));
    ASSERT_TRUE(WaitFor([&] { return LoadJsonFile(profileFile)["Device"][0]["LightInfo"]["SelectItem"].asInt() == 9; }));
    const Json::Value info = LoadJsonFile(profileFile)["Device"][0]["LightInfo"];
    EXPECT_EQ(info["Blue"].asInt(), 56);
    EXPECT_EQ(info["Speed"].asInt(), 3);
    EXPECT_EQ(keyboard->GetLightInfo().selectItem, 9);
}

TEST_F(MainWindowTest, KeysPressedOnTheKeyboardReachThePreviewByTheirKeyIndex) {
    Open();
    auto* keyboard = dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage());
    ASSERT_TRUE(WaitFor([&] {
        return keyboard->ConsumerChannel().IsOpen() && keyboard->Configurator().Maps().slots[104] != kAbsentKey;
    }));
    std::vector<std::pair<int, bool>> events;
    keyboard->SetKeyEventHandler([&](KeyIndex key, bool pressed) { events.emplace_back(key, pressed); });
    const uint8_t slot = keyboard->Configurator().Maps().slots[64];  // the A key
    ASSERT_TRUE(keyboard_->PressKey(slot));
    ASSERT_TRUE(keyboard_->ReleaseKey(slot));
    ASSERT_TRUE(WaitFor([&] { return events.size() == 2; }));
    EXPECT_EQ(events[0], std::make_pair(64, true));
    EXPECT_EQ(events[1], std::make_pair(64, false));
    // A slot no key sits in changes nothing: the next key's event is the only one to come.
    events.clear();
    ASSERT_TRUE(keyboard_->SendNotification(0x5FF));
    ASSERT_TRUE(keyboard_->PressKey(slot));
    ASSERT_TRUE(WaitFor([&] { return !events.empty(); }));
    EXPECT_EQ(events, (std::vector<std::pair<int, bool>>{{64, true}}));
}

TEST_F(MainWindowTest, InTheReactiveModeAPressedKeyLightsItsButtonOnScreen) {
    Open();
    auto* keyboard = dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage());
    ASSERT_TRUE(WaitFor([&] { return keyboard->ConsumerChannel().IsOpen() && keyboard->LightThreadRunning(); }));
    LightInfoRecord light = keyboard->GetLightInfo();
    light.selectItem = 7;
    light.light = 5;
    light.multiColor = 0;
    light.red = 0;
    light.green = 200;
    light.blue = 100;
    keyboard->SetLightInfo(light);
    CDeviceKeyButtonUI* a = keyboard->GetLightButton(64);
    CDeviceKeyButtonUI* s = keyboard->GetLightButton(65);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(s, nullptr);
    // The mode starts dark: no key has been touched.
    ASSERT_TRUE(WaitFor([&] { return keyboard->GetLedColor(1) == PackLed(LedState{Rgb{0, 200, 100}, 0}); }));
    EXPECT_EQ(a->GetLightAlpha(), 0);

    ASSERT_TRUE(keyboard_->PressKey(keyboard->Configurator().Maps().slots[64]));
    ASSERT_TRUE(WaitFor([&] { return a->GetLightAlpha() > 0; }));
    EXPECT_EQ(a->GetLightColour(), QColor(0, 200, 100));
    EXPECT_EQ(s->GetLightAlpha(), 0) << "only the pressed key lights";
}

TEST(SimulationScheduleTest, ReadsPlugAndUnplugTimesAndRefusesAnythingElse) {
    using Step = CSimulatedDevices::Step;
    EXPECT_EQ(CSimulatedDevices::ParseSchedule("plug@300,unplug@5000,plug@8000"),
              (std::vector<Step>{{true, 300}, {false, 5000}, {true, 8000}}));
    EXPECT_FALSE(CSimulatedDevices::ParseSchedule("plug@soon").has_value());
    EXPECT_FALSE(CSimulatedDevices::ParseSchedule("eject@10").has_value());
    EXPECT_FALSE(CSimulatedDevices::ParseSchedule("").has_value());
}

}  // namespace
}  // namespace velnor7
