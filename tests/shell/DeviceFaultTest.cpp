// The window with a keyboard that misbehaves: one that cannot be read, one pulled out or
// plugged back in the middle of things, one this user may not open. Nothing is written to a
// keyboard that was not read, and the window tells the user what is wrong.
#include "shell/MainWindowFixture.h"
#include "support/OtherProgramsLock.h"

#include "common/UserNotice.h"
#include "keyboard/page/TessaryKeyboardDevice.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace velnor7 {
namespace {

using testing::MainWindowTest;
using testing::WaitFor;

class DeviceFaultTest : public MainWindowTest {
protected:
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    bool NoticeSays(const char* part) { return window_->NoticeText().contains(QString::fromUtf8(part)); }
    int Writes() const {
        return Requests(kCmdWriteParameters) + Requests(kCmdWriteKeyMap) + Requests(kCmdWriteMacroData) +
               Requests(kCmdWriteLedFrame);
    }
    bool StartUpTimerArmed() {
        return window_->GetPaintManager().HasTimer(KeyboardEntry(), CDeviceOptionUI::kStartUpTimer);
    }
};

TEST_F(DeviceFaultTest, AKeyboardThatCannotBeReadGetsNothingWrittenIsTriedAgainAndTheWindowSaysSo) {
    // The keyboard refuses everything for a while.
    for (int request = 1; request <= 40; ++request) keyboard_->InjectStatus(0xFE, request);
    Open();
    ASSERT_TRUE(WaitFor([&] { return NoticeSays("The keyboard could not be read: BeginConfig: the device refused it"); }));
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->NextReadRetryMs() >= 2000; }));
    EXPECT_TRUE(NoticeSays("it is tried again, and nothing is written to it until it has been read"));
    EXPECT_EQ(Writes(), 0);
    EXPECT_FALSE(Keyboard()->Configurator().HasReadOut());
    // Between two tries the next one is always waiting.
    EXPECT_TRUE(StartUpTimerArmed());

    // It answers again: the next try reads it and configures it, and the window says so.
    keyboard_->ClearFaults();
    KeyboardEntry()->OnTimer(CDeviceOptionUI::kStartUpTimer);
    EXPECT_TRUE(Keyboard()->Configurator().HasReadOut());
    EXPECT_TRUE(NoticeSays("The keyboard has been read and set up."));
    EXPECT_GT(Requests(kCmdWriteParameters), 0);
    EXPECT_FALSE(StartUpTimerArmed());
}

TEST_F(DeviceFaultTest, AKeyboardPulledOutDuringTheReadOutIsNotWrittenAndIsReadWholeWhenBack) {
    keyboard_->UnplugAtRequest(5);  // a chunk of the key map
    Open();
    ASSERT_TRUE(WaitFor([&] { return NoticeSays("The keyboard could not be read: ReadKeyMap at chunk 3 of 7: "); }));
    ASSERT_TRUE(WaitFor([&] { return !KeyboardPage()->CommandChannel().IsOpen() && !KeyboardEntry()->IsShown(); }));
    EXPECT_FALSE(Keyboard()->Configurator().HasReadOut());
    EXPECT_EQ(Writes(), 0);

    busNumber_ = bus_->Plug(keyboard_);
    ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
    EXPECT_TRUE(KeyboardEntry()->IsShown());
    EXPECT_EQ(Keyboard()->Configurator().Maps().slots[104], 62);
}

TEST_F(DeviceFaultTest, AKeyboardRepluggedBetweenTwoCyclesIsReadAgain) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
    keyboard_->ClearReceivedRequests();
    bus_->Unplug(busNumber_);
    busNumber_ = bus_->Plug(keyboard_);
    // The old connection is dead; the page lets go of it and reads the keyboard again.
    ASSERT_TRUE(WaitFor([&] { return Requests(kCmdReadKeyMap) > 0 && Requests(kCmdWriteParameters) > 0; }));
    EXPECT_TRUE(Keyboard()->Configurator().HasReadOut());
    EXPECT_TRUE(KeyboardEntry()->IsShown());
}

TEST_F(DeviceFaultTest, AKeyboardThisUserMayNotOpenIsReportedOnceAndAttachedOnceAllowed) {
    NoticeCapture notices;
    bus_->RefuseAccess(true, true);
    Open();
    ASSERT_TRUE(WaitFor([&] { return NoticeSays("cannot be opened: this user may not use it"); }));
    EXPECT_FALSE(KeyboardEntry()->IsShown());

    bus_->RefuseAccess(false, false);
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsShown() && Requests(kCmdWriteParameters) > 0; }));
    int told = 0;
    for (const std::string& notice : notices.Notices()) told += notice.find("cannot be opened") != std::string::npos;
    EXPECT_EQ(told, 2) << "once for each collection of the keyboard that discovery probes";
}

TEST_F(DeviceFaultTest, AKeyboardThatCannotBeOpenedForWritingIsShownWithTheReason) {
    bus_->RefuseAccess(false, true);
    Open();
    ASSERT_TRUE(WaitFor([&] { return NoticeSays("cannot be opened for configuration"); }));
    EXPECT_FALSE(KeyboardPage()->CommandChannel().IsOpen());
    EXPECT_EQ(keyboard_->ReceivedRequests().size(), 0u);
}

TEST_F(DeviceFaultTest, AKeyboardAnotherProgramOwnsIsLeftAloneAndTakenOverOnceLetGo) {
    // A keyboard whose memory lives in a file, as velnor7ctl and this program share it.
    QTemporaryDir folder;
    const QString state = folder.filePath("keyboard.json");
    bus_->Unplug(busNumber_);
    keyboard_ = std::make_shared<KeyboardEmulator>(state.toStdString());
    busNumber_ = bus_->Plug(keyboard_);
    testing::OtherProgramsLock other((state + ".lock").toStdString());
    ASSERT_TRUE(other.Held());

    Open();
    ASSERT_TRUE(WaitFor([&] {
        return NoticeSays(("The keyboard is in use by flock, pid " + std::to_string(other.Pid()) +
                           ". VELNOR7 leaves it alone and takes it over as soon as that program lets go of it.")
                              .c_str());
    }));
    EXPECT_TRUE(KeyboardEntry()->IsShown());
    EXPECT_FALSE(KeyboardPage()->CommandChannel().IsOpen());
    EXPECT_EQ(keyboard_->ReceivedRequests().size(), 0u) << "not a byte to a keyboard another program drives";

    other.Release();
    ASSERT_TRUE(WaitFor([&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
}

TEST_F(DeviceFaultTest, TheNoticeStripKeepsTheLastThreeNoticesUntilItIsClosed) {
    Open();
    window_->ShowNotice("First.");
    window_->ShowNotice("Second.");
    window_->ShowNotice("First.");  // told again: moves to the end, once
    EXPECT_EQ(window_->NoticeText(), "Second.\nFirst.");
    window_->ShowNotice("Third.");
    window_->ShowNotice("Fourth.");
    EXPECT_EQ(window_->NoticeText(), "First.\nThird.\nFourth.");
    testing::Click(window_->FindControl("notice_close_btn"));
    EXPECT_EQ(window_->NoticeText(), "");
    EXPECT_FALSE(window_->FindControl("notice_layout")->IsVisible());
    window_->ShowNotice("Fifth.");
    EXPECT_EQ(window_->NoticeText(), "Fifth.");
}

}  // namespace
}  // namespace velnor7
