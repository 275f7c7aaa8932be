// The computer's key repeat: the profile's scales in milliseconds, XKB on an X server of
// the test's own, GNOME's settings in a private settings file, and a session with neither.
#include "support/PrivateXServer.h"

#include "common/Trace.h"
#include "platform/DesktopKeyboardRepeat.h"
#include "platform/XkbKeyboardRepeat.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <optional>

// Last: Xlib's macros (None, Bool, Success) would clash with the headers above.
#include <X11/XKBlib.h>

namespace velnor7 {
namespace {

using Outcome = KeyboardRepeatResult::Outcome;

TEST(KeyboardRepeatScaleTest, RatesRunFromTwoAndAHalfToThirtyRepeatsASecondAndDelaysInQuarterSeconds) {
    EXPECT_EQ(RepeatIntervalMs(0), 400);
    EXPECT_EQ(RepeatIntervalMs(31), 33);
    EXPECT_EQ(RepeatIntervalMs(15), 63);  // 2.5 + 27.5 x 15 / 31 = 15.8 a second
    for (int rate = 1; rate <= kMaxRepeatRate; ++rate) {
        EXPECT_LT(RepeatIntervalMs(rate), RepeatIntervalMs(rate - 1)) << rate;
    }
    EXPECT_EQ(RepeatIntervalMs(-5), 400);
    EXPECT_EQ(RepeatIntervalMs(40), 33);
    EXPECT_EQ(RepeatDelayMs(0), 250);
    EXPECT_EQ(RepeatDelayMs(2), 750);
    EXPECT_EQ(RepeatDelayMs(3), 1000);
    EXPECT_EQ(RepeatDelayMs(9), 1000);
}

// What the server itself holds, asked independently of the code under test.
std::optional<KeyboardRepeatTiming> ServerRepeat(const QString& displayName) {
    Display* display = XOpenDisplay(displayName.toUtf8().constData());
    if (display == nullptr) return std::nullopt;
    std::optional<KeyboardRepeatTiming> timing;
    XkbDescPtr keyboard = XkbAllocKeyboard();
    if (keyboard != nullptr && XkbGetControls(display, XkbRepeatKeysMask, keyboard) == Success) {
        timing = KeyboardRepeatTiming{static_cast<int>(keyboard->ctrls->repeat_delay),
                                      static_cast<int>(keyboard->ctrls->repeat_interval)};
    }
    if (keyboard != nullptr) XkbFreeKeyboard(keyboard, 0, True);
    XCloseDisplay(display);
    return timing;
}

TEST(XkbKeyboardRepeatTest, TheServerTakesTheValuesAskedForAndKeepsTheOther) {
    if (!testing::PrivateXServer::Installed()) {
        GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    }
    const testing::PrivateXServer server;
    ASSERT_FALSE(server.Display().isEmpty()) << "Xvfb did not start: " << server.Log().toStdString();
    CXkbKeyboardRepeat repeat(server.Display().toStdString());

    KeyboardRepeatResult result = repeat.Apply({.rate = 31, .delay = 2});
    ASSERT_EQ(result.outcome, Outcome::Applied) << result.reason;
    EXPECT_EQ(ServerRepeat(server.Display()), (KeyboardRepeatTiming{750, 33}));
    EXPECT_EQ(result.readBack, (KeyboardRepeatTiming{750, 33}));
    EXPECT_NE(result.reason.find(server.Display().toStdString()), std::string::npos) << result.reason;

    result = repeat.Apply({.rate = 0});
    ASSERT_EQ(result.outcome, Outcome::Applied) << result.reason;
    EXPECT_EQ(ServerRepeat(server.Display()), (KeyboardRepeatTiming{750, 400}));
    result = repeat.Apply({.delay = 0});
    ASSERT_EQ(result.outcome, Outcome::Applied) << result.reason;
    EXPECT_EQ(ServerRepeat(server.Display()), (KeyboardRepeatTiming{250, 400}));
}

// GNOME's settings kept in a file of the test's own, never the user's.
class GnomeSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        for (const char* name : {"GSETTINGS_BACKEND", "XDG_CONFIG_HOME"}) saved_.emplace_back(name, qgetenv(name));
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value.isNull()) qunsetenv(name);
            else qputenv(name, value);
        }
    }
    // What another program reads from the settings.
    static int Stored(const QString& key) {
        QProcess gsettings;
        gsettings.start("gsettings", {"get", "org.gnome.desktop.peripherals.keyboard", key});
        if (!gsettings.waitForFinished(30000) || gsettings.exitCode() != 0) return -1;
        return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed().section(' ', -1).toInt();
    }

    QTemporaryDir config_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

TEST_F(GnomeSettingsTest, AGnomeSessionSetsOnlyTheValuesAskedForAndASettingThatFailsIsNamed) {
    const int intervalBefore = Stored("repeat-interval");
    ASSERT_GT(intervalBefore, 0) << "gsettings or the GNOME settings schemas are missing (scripts/install-deps.sh)";
    KeyboardRepeatResult result = CDesktopKeyboardRepeat::ForSession({"", "ubuntu:GNOME"})->Apply({.delay = 2});
    ASSERT_EQ(result.outcome, Outcome::Applied) << result.reason;
    EXPECT_EQ(Stored("delay"), 750);
    EXPECT_EQ(Stored("repeat-interval"), intervalBefore);
    EXPECT_EQ(result.readBack, (KeyboardRepeatTiming{750, intervalBefore}));

    // A display that cannot be opened does not keep GNOME from the change; the whole is a failure naming it.
    result = CDesktopKeyboardRepeat::ForSession({":4321", "GNOME"})->Apply({.rate = 31});
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_NE(result.reason.find("XKB on :4321: "), std::string::npos) << result.reason;
    EXPECT_EQ(Stored("repeat-interval"), 33);
    EXPECT_EQ(result.readBack, (KeyboardRepeatTiming{750, 33}));  // GNOME's, as XKB had none
}

TEST(DesktopKeyboardRepeatTest, ASessionWithoutDisplayOrGnomeLeavesTheRepeatToTheProfileAndSaysSo) {
    const TraceCapture trace;
    const KeyboardRepeatResult result = CDesktopKeyboardRepeat::ForSession({"", "KDE"})->Apply({.rate = 3, .delay = 1});
    EXPECT_EQ(result.outcome, Outcome::NotAvailable);
    EXPECT_FALSE(result.readBack.has_value());
    EXPECT_TRUE(trace.Contains(
        "keyboard repeat: no X display and no GNOME session: the key repeat stays in the profile only"));
}

}  // namespace
}  // namespace velnor7
