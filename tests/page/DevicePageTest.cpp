// The device page base: its light thread, frames, power status, listening thread and the
// lighting synchronisation, against the keyboard emulator on the simulated bus.
#include "support/ObservedHidBackend.h"
#include "support/SimulatedKeyboard.h"
#include "support/UiHarness.h"
#include "support/WaitUntil.h"

#include "common/Trace.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/LightSync.h"
#include "core/page/TessaryUSBDevice.h"
#include "sim/LitDeviceEmulator.h"
#include "ui/PaintManagerUI.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace velnor7 {
namespace {

using testing::TestWindow;

// A page kind for the tests: mode 3 is static (a step every 2 ticks), mode 1 spectrum
// (every tick); others have no generator.
class TestPage : public CTessaryUSBDevice {
public:
    std::atomic<int> effectRuns{0};
    // The run after which the page counts as synchronised (0: never), set by the light
    // thread itself so that no step of its own can still be under way.
    std::atomic<int> syncAfterRun{0};
    std::atomic<int> readBacks{0};
    std::mutex lock;
    std::vector<uint16_t> events;
    std::vector<LightInfoRecord> shownOnPanel;
    int settingsWrites = 0;

    void ReadBackSettings() override { ++readBacks; }
    void ShowLightInfo(const LightInfoRecord& record) override { shownOnPanel.push_back(record); }
    int WriteSettings(int, int, int, int, int) override { return ++settingsWrites; }

protected:
    int FrameThreshold(uint8_t mode, uint8_t) const override { return mode == 3 ? 2 : mode == 1 ? 0 : -1; }
    void RunEffect(uint8_t mode) override {
        if (mode == 3) StaticEffect();
        else SpectrumEffect();
        if (++effectRuns == syncAfterRun.load()) CommandChannel().SetSynced(true);
    }
    void OnConsumerEvent(uint16_t code) override {
        std::lock_guard guard(lock);
        events.push_back(code);
    }
};

class PowerPanel : public IPowerPanel {
public:
    void ShowPowerStatus(const std::array<uint8_t, 6>& status) override { shown.push_back(status); }
    std::vector<std::array<uint8_t, 6>> shown;
};

const char* const kPageLayout = R"(<Window size="400,300"><VerticalLayout name="root">
  <TestPage name="page">
    <Control name="SelectPanel" width="10"/>
    <DeviceKeyButton name="key_0" userdata="light_0"/>
    <DeviceKeyButton name="key_1" userdata="light_1"/>
    <DeviceKeyButton name="key_7" userdata="light_129"/>
    <DeviceKeyButton name="button_x" userdata="lamp_2"/>
    <TabLayout name="device_key_function_switch"><Control/><Control/><Control/></TabLayout>
    <TabLayout name="device_function_switch"><Control/><Control/><Control/></TabLayout>
  </TestPage>
</VerticalLayout></Window>)";

LightInfoRecord Lighting(uint8_t mode, uint8_t level, uint8_t r, uint8_t g, uint8_t b) {
    LightInfoRecord record;
    record.selectItem = mode;
    record.light = level;
    record.speed = 2;
    record.fx = 1;
    record.red = r;
    record.green = g;
    record.blue = b;
    return record;
}

class DevicePageTest : public testing::SimulatedKeyboardTest {
protected:
    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        window_.creators["TestPage"] = [] { return new TestPage; };
        window_.creators["DeviceKeyButton"] = [] { return new CDeviceKeyButtonUI; };
        window_.Open();
        page_ = window_.Find<TestPage>("page");
        ASSERT_NE(page_, nullptr);
        page_->SetPageXml("page.xml");
        page_->SetKeyCount(8);
        page_->SetLedCount(130);
        page_->SetTypeName("MousePad");
        page_->SetKindIndex(2);
        page_->SetPowerPanel(&panel_);
        page_->InitPage();
        identity_.path = CommandPath();
        identity_.type = 3;
    }
    void TearDown() override {
        page_->StopLightThread();
        page_->CloseConsumerInterface();
        SimulatedKeyboardTest::TearDown();
    }

    int StreamRequests() const {
        int count = 0;
        for (const auto& request : keyboard_->ReceivedRequests()) count += request[3] == kCmdStreamLedFrame;
        return count;
    }

    TestWindow window_{kPageLayout};
    TestPage* page_ = nullptr;
    PowerPanel panel_;
    DeviceIdentity identity_;
};

TEST_F(DevicePageTest, TheKindsFilesLieInTheDefaultDataAndUserDataFolders) {
    EXPECT_TRUE(page_->DefaultProfilePath().ends_with("/DefaultData/MousePad.Json"));
    EXPECT_TRUE(page_->UserDataDirectory().ends_with("/VELNOR7/MousePad/"));
}

TEST_F(DevicePageTest, InitPageBindsKeyAndLightButtonsByNameAndUserData) {
    EXPECT_EQ(page_->GetSelectPanel(), window_.FindControl("SelectPanel"));
    EXPECT_EQ(page_->GetKeyButton(0), window_.FindControl("key_0"));
    EXPECT_EQ(page_->GetKeyButton(7), window_.FindControl("key_7"));
    EXPECT_EQ(page_->GetKeyButton(2), nullptr);
    EXPECT_EQ(page_->GetLightButton(1), window_.FindControl("key_1"));
    EXPECT_EQ(page_->GetLightButton(2), nullptr);  // "lamp_2" is no light
    // light_129 is inside the 130 LEDs; light buttons start lit but dark, so nothing
    // flashes before the page's effect gives them their colour.
    ASSERT_NE(page_->GetLightButton(129), nullptr);
    EXPECT_EQ(page_->GetLightButton(129)->GetLightAlpha(), 0);
    EXPECT_TRUE(page_->GetLightButton(0)->IsLit());

    page_->SetFunctionTab(4);
    EXPECT_EQ(page_->GetFunctionTab(), 4);
    EXPECT_EQ(window_.Find<ui::CTabLayoutUI>("device_key_function_switch")->GetCurSel(), 2);
    EXPECT_EQ(window_.Find<ui::CTabLayoutUI>("device_function_switch")->GetCurSel(), 0);
    page_->SetFunctionTab(7);
    EXPECT_EQ(window_.Find<ui::CTabLayoutUI>("device_key_function_switch")->GetCurSel(), 0);
    EXPECT_EQ(window_.Find<ui::CTabLayoutUI>("device_function_switch")->GetCurSel(), 1);
}

TEST_F(DevicePageTest, AnUnattachedPagesLightThreadIdlesAndAnAttachedOneRendersItsMode) {
    page_->SetLightInfo(Lighting(3, 5, 10, 20, 30));
    TraceCapture trace;
    page_->StartLightThread();
    // Nothing may render while unattached, however long the thread runs; the wait only
    // gives it the chance to, so a busy machine cannot make this fail.
    QTest::qWait(150);
    EXPECT_EQ(page_->effectRuns, 0);
    EXPECT_EQ(page_->GetLedColor(0), 0u);

    // A synchronised page is left to the synchronisation: after the third step the
    // thread finds the page synchronised and renders no further step.
    page_->syncAfterRun = 3;
    ASSERT_TRUE(page_->AttachCommandInterface(identity_));
    ASSERT_TRUE(testing::WaitFor([&] { return page_->effectRuns >= 3; }));
    EXPECT_EQ(UnpackLed(page_->GetLedColor(129)), (LedState{Rgb{10, 20, 30}, 255}));
    QTest::qWait(60);  // several of its idle polls, for a step it must not render
    page_->StopLightThread();
    EXPECT_EQ(page_->effectRuns, 3);
    EXPECT_TRUE(trace.Contains("MS灯光线程设定退出"));  // a mouse pad's
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态"));
}

TEST_F(DevicePageTest, UpdatePreviewShowsAndStreamsTheScaledFrameWithoutLed126) {
    ASSERT_TRUE(page_->AttachCommandInterface(identity_));
    for (int i = 0; i < page_->GetLedCount(); ++i) page_->SetLedColor(i, PackLed({Rgb{200, 100, 50}, 128}));
    page_->SetLedColor(0, PackLed({Rgb{255, 255, 255}, 255}));
    page_->UpdatePreview();

    const std::vector<uint8_t> sent = keyboard_->LastStreamedFrame();
    ASSERT_GE(sent.size(), 130u * 3);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 6), (std::vector<uint8_t>{254, 254, 254, 100, 50, 25}));
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 3 * 126, sent.begin() + 3 * 127), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 3 * 129, sent.begin() + 3 * 130), (std::vector<uint8_t>{100, 50, 25}));
    EXPECT_EQ(page_->GetLightButton(1)->GetLightColour(), QColor(200, 100, 50));
    EXPECT_EQ(page_->GetLightButton(1)->GetLightAlpha(), 128);

    // SetLedColor past the LEDs changes nothing.
    page_->SetLedColor(130, 0xFFFFFFFF);
    page_->SetLedColor(-1, 0xFFFFFFFF);
    EXPECT_EQ(page_->GetLedColor(130), 0u);
}

TEST_F(DevicePageTest, NoOutputMeansNoFramesAndASlowLinkGetsOnlyThePreview) {
    ASSERT_TRUE(page_->AttachCommandInterface(identity_));
    page_->SetLedColor(1, PackLed({Rgb{0, 255, 0}, 255}));
    keyboard_->ClearReceivedRequests();

    page_->SetLightOutput(false);
    page_->UpdatePreview();
    EXPECT_EQ(StreamRequests(), 0);
    EXPECT_EQ(page_->GetLightButton(1)->GetLightAlpha(), 0);

    page_->SetLightOutput(true);
    page_->CommandChannel().SetSlowMode(true);
    page_->UpdatePreview();
    EXPECT_EQ(StreamRequests(), 0);
    EXPECT_EQ(page_->GetLightButton(1)->GetLightColour(), QColor(0, 255, 0));
    EXPECT_EQ(page_->LastFrame()[4], 255 * 255 / 256);
}

TEST_F(DevicePageTest, AFrameTheDeviceDidNotTakeRestsTheStreamFor200msAndSendsNothingMeanwhile) {
    auto now = std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());
    page_->SetClock([now] { return *now; });
    ASSERT_TRUE(page_->AttachCommandInterface(identity_));
    keyboard_->InjectNoAnswer(1);
    keyboard_->ClearReceivedRequests();
    page_->UpdatePreview();
    EXPECT_EQ(StreamRequests(), 1) << "the frame ends at its unanswered first chunk";

    // During the rest nothing goes out, so nothing waits for a reply either.
    *now += std::chrono::milliseconds(199);
    page_->UpdatePreview();
    EXPECT_EQ(StreamRequests(), 1);
    *now += std::chrono::milliseconds(1);
    page_->UpdatePreview();
    EXPECT_EQ(StreamRequests(), 1 + 7) << "after 200 ms the whole frame (390 bytes, 7 chunks) goes out";
}

TEST_F(DevicePageTest, PowerStatusGoesToThePanelWithTheLinkSpeedInByte3) {
    page_->PollPowerStatus();
    EXPECT_TRUE(panel_.shown.empty());
    ASSERT_TRUE(page_->AttachCommandInterface(identity_));
    keyboard_->SetPowerStatus({80, 1, 0, 0, 7, 9});
    page_->CommandChannel().SetSlowMode(true);
    page_->PollPowerStatus();
    ASSERT_EQ(panel_.shown.size(), 1u);
    EXPECT_EQ(panel_.shown[0], (std::array<uint8_t, 6>{80, 1, 0, 1, 7, 9}));
}

// Runs what other threads posted to the UI thread, and nothing else: no timer expires
// meanwhile. False when `condition` still does not hold after a generous deadline.
bool RunPostedWorkUntil(const std::function<bool()>& condition) {
    return testing::WaitUntil([&condition] {
        QCoreApplication::sendPostedEvents();
        return condition();
    });
}

TEST_F(DevicePageTest, TheListeningThreadSchedulesReadBackAndHandsOnOtherCodes) {
    TraceCapture trace;
    // The thread's reads wait until a report, the close or an unplug ends them, so the stop
    // at the end ends within its grace only if the close wakes the read.
    auto observed = std::make_shared<testing::ObservedHidBackend>(bus_, true);
    SetHidBackend(observed);
    page_->SetKindIndex(0);  // a keyboard: read back 100 ms after 0x401 or 0x403
    ASSERT_TRUE(page_->OpenConsumerInterface(ConsumerPath()));
    EXPECT_TRUE(page_->ListeningThreadRunning());
    ui::CPaintManagerUI& manager = window_.GetPaintManager();
    const int timer = CTessaryUSBDevice::kReadBackTimer;
    // The notification arms the read-back timer; its expiry, delivered here by hand, reads back.
    for (const uint16_t code : {uint16_t{0x401}, uint16_t{0x403}}) {
        const int before = page_->readBacks;
        ASSERT_TRUE(keyboard_->SendNotification(code));
        ASSERT_TRUE(RunPostedWorkUntil([&] { return manager.HasTimer(page_, timer); })) << code;
        EXPECT_EQ(manager.TimerInterval(page_, timer), 100) << code;
        EXPECT_EQ(page_->readBacks, before) << "nothing is read back before the timer expires";
        page_->OnTimer(timer);
        EXPECT_EQ(page_->readBacks, before + 1);
        EXPECT_FALSE(manager.HasTimer(page_, timer)) << "one read-back per notification";
    }
    EXPECT_TRUE(trace.Contains("接收到自动添加设备的同步信息要求"));
    ASSERT_TRUE(keyboard_->SendNotification(0x512));
    ASSERT_TRUE(testing::WaitFor([&] {
        std::lock_guard guard(page_->lock);
        return page_->events == std::vector<uint16_t>{0x512};
    }));
    EXPECT_FALSE(manager.HasTimer(page_, timer));

    // A stop while the thread waits in a read of a silent device ends it at once: the
    // close wakes the read, and the thread ends within the stop's grace.
    ASSERT_TRUE(testing::WaitFor([&] { return page_->ConsumerChannel().Transport().Reading(); }));
    trace.Clear();
    page_->CloseConsumerInterface();
    EXPECT_FALSE(page_->ConsumerChannel().IsOpen());
    EXPECT_FALSE(page_->ListeningThreadRunning());
    EXPECT_EQ(observed->Seen().interrupts.load(), 1);
    EXPECT_TRUE(trace.Contains("MS设备同步线程设定退出"));
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态"));
}

TEST_F(DevicePageTest, UnplugEndsTheListeningThreadByItself) {
    TraceCapture trace;
    ASSERT_TRUE(page_->OpenConsumerInterface(ConsumerPath()));
    ASSERT_TRUE(testing::WaitFor([&] { return page_->ConsumerChannel().Transport().Reading(); }));
    bus_->Unplug(busNumber_);
    EXPECT_TRUE(testing::WaitFor([&] { return trace.Contains("MS设备同步线程设定退出"); }));
    page_->CloseConsumerInterface();
    EXPECT_FALSE(page_->ListeningThreadRunning());
}

TEST_F(DevicePageTest, SameModeTakesTheSelectedPagesEffectToEveryAttachedPage) {
    auto* other = new TestPage;
    window_.Find<ui::CVerticalLayoutUI>("root")->Add(other);
    other->SetLedCount(4);
    DeviceIdentity keyboardIdentity = identity_;
    keyboardIdentity.type = 1;
    auto* unattached = new TestPage;
    window_.Find<ui::CVerticalLayoutUI>("root")->Add(unattached);
    unattached->SetLedCount(4);
    ASSERT_TRUE(page_->AttachCommandInterface(keyboardIdentity));
    ASSERT_TRUE(other->AttachCommandInterface(identity_));  // a mouse pad
    CLightSync sync({page_, other, unattached});

    // Keyboard mode 2 has no counterpart: nothing changes.
    page_->SetLightInfo(Lighting(2, 5, 1, 2, 3));
    EXPECT_FALSE(sync.Start(page_, 1920, 1080));
    EXPECT_FALSE(page_->CommandChannel().Synced());
    EXPECT_FALSE(sync.Start(nullptr, 1920, 1080));

    // Keyboard static (6) becomes the mouse pad's static (3).
    page_->SetLightInfo(Lighting(6, 5, 9, 8, 7));
    ASSERT_TRUE(sync.Start(page_, 1920, 1080));
    EXPECT_TRUE(page_->CommandChannel().Synced());
    EXPECT_TRUE(other->CommandChannel().Synced());
    EXPECT_FALSE(unattached->CommandChannel().Synced());
    EXPECT_EQ(page_->GetLightInfo().selectItem, 6);
    EXPECT_EQ(other->GetLightInfo(), Lighting(3, 5, 9, 8, 7));
    ASSERT_EQ(other->shownOnPanel.size(), 1u);
    EXPECT_EQ(other->settingsWrites, 1);
    EXPECT_EQ(unattached->settingsWrites, 0);

    sync.RenderFrame(0);
    EXPECT_EQ(UnpackLed(other->GetLedColor(3)), (LedState{Rgb{9, 8, 7}, 255}));
    EXPECT_EQ(UnpackLed(page_->GetLedColor(129)), (LedState{Rgb{9, 8, 7}, 255}));
    EXPECT_EQ(unattached->GetLedColor(0), 0u);

    // The thread renders while a page is synchronised and says when it ends.
    TraceCapture trace;
    other->SetLedColor(0, 0);
    sync.StartThread();
    ASSERT_TRUE(testing::WaitFor([&] { return other->GetLedColor(0) != 0; }));
    sync.StopThread();
    EXPECT_TRUE(trace.Contains("同步灯光线程设定退出"));
}

// A lit device without keys (a mouse pad) takes the streamed frames; its firmware keeps
// every complete frame it received.
TEST(LitDevicePageTest, TheLightThreadsFramesReachTheDeviceByteForByte) {
    auto bus = std::make_shared<SimulatedHidBus>();
    LitDeviceConfig config;
    config.ledCount = 15;
    auto pad = std::make_shared<LitDeviceEmulator>(config);
    bus->Plug(pad);
    SetHidBackend(bus);
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    DeviceIdentity identity;
    identity.type = 3;
    for (const std::string& path : paths) {
        if (path.find("&col04") != std::string::npos) identity.path = path;
    }

    TestWindow window(R"(<Window size="200,100"><HorizontalLayout name="root"/></Window>)");
    window.Open();
    auto* page = new TestPage;
    window.FindControlAs<ui::CHorizontalLayoutUI>("root")->Add(page);
    page->SetPageXml("pad.xml");
    page->SetLedCount(15);
    page->InitPage();
    page->SetLightInfo(Lighting(3, 3, 200, 100, 50));  // static at level 3 (153)
    ASSERT_TRUE(page->AttachCommandInterface(identity));
    page->StartLightThread();
    ASSERT_TRUE(testing::WaitFor([&] { return page->effectRuns > 0; }));
    page->UpdatePreview();
    page->StopLightThread();

    ASSERT_EQ(pad->StreamedFrames().size(), 1u);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 15; ++i) {
        expected.insert(expected.end(), {static_cast<uint8_t>(200 * 153 / 256), static_cast<uint8_t>(100 * 153 / 256),
                                         static_cast<uint8_t>(50 * 153 / 256)});
    }
    EXPECT_EQ(pad->LastStreamedFrame(), expected);
    page->DetachCommandInterface();
    SetHidBackend(nullptr);
}

}  // namespace
}  // namespace velnor7
