// The whole session's keys and mouse buttons on an X server of the test's own, typed and
// clicked by xdotool as another program, with a window of another client that has the focus.
#include "support/PrivateXServer.h"
#include "support/WaitUntil.h"
#include "support/Xdotool.h"

#include "platform/X11InputCapture.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <sstream>
#include <vector>

// Last: Xlib's macros (None, Bool, Success) would clash with the headers above.
#include <X11/XKBlib.h>

namespace velnor7 {

void PrintTo(const CapturedKey& key, std::ostream* out) {
    *out << (key.pressed ? "press " : "release ") << "key " << key.linuxKey;
}

void PrintTo(const CapturedButton& button, std::ostream* out) {
    *out << (button.pressed ? "press " : "release ") << button.button << " at " << button.x << "," << button.y;
}

namespace {

// Another client's window with the keyboard focus: counts the key presses it is sent.
class FocusedWindow {
public:
    explicit FocusedWindow(const QString& displayName) : display_(XOpenDisplay(displayName.toUtf8().constData())) {
        if (display_ == nullptr) return;
        const Window root = DefaultRootWindow(display_);
        window_ = XCreateSimpleWindow(display_, root, 0, 0, 200, 100, 0, 0, 0);
        XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask);
        XMapWindow(display_, window_);
        XEvent event;
        do XWindowEvent(display_, window_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    ~FocusedWindow() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    FocusedWindow(const FocusedWindow&) = delete;
    FocusedWindow& operator=(const FocusedWindow&) = delete;

    bool Open() const { return display_ != nullptr; }
    // Every key press the server has sent so far.
    int KeyPresses() {
        XSync(display_, False);
        XEvent event;
        while (XCheckWindowEvent(display_, window_, KeyPressMask, &event)) ++keyPresses_;
        return keyPresses_;
    }
    bool CapsLocked() {
        XkbStateRec state;
        XkbGetState(display_, XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }
    void SetRepeat(unsigned delayMs, unsigned intervalMs) {
        XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, delayMs, intervalMs);
        XSync(display_, False);
    }

private:
    Display* display_;
    Window window_ = 0;
    int keyPresses_ = 0;
};

class InputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::PrivateXServer::Installed()) {
            GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
        }
        server_ = std::make_unique<testing::PrivateXServer>();
        ASSERT_FALSE(server_->Display().isEmpty()) << "Xvfb did not start: " << server_->Log().toStdString();
        capture_ = MakeX11InputCapture(
            server_->Display().toStdString(),
            [this](std::function<void()> work) {
                const std::lock_guard lock(mutex_);
                posted_.push_back(std::move(work));
            },
            [this](const CapturedKey& key) { keys_.push_back(key); },
            [this](const CapturedButton& button) { buttons_.push_back(button); });
        ASSERT_NE(capture_, nullptr);
    }

    // The UI thread's turn: runs what the capture thread has handed over.
    void RunPosted() {
        std::deque<std::function<void()>> work;
        {
            const std::lock_guard lock(mutex_);
            work.swap(posted_);
        }
        for (const std::function<void()>& piece : work) piece();
    }
    bool WaitForKeys(size_t count) {
        return testing::WaitUntil([&] {
            RunPosted();
            return keys_.size() >= count;
        }, 20000);
    }
    void Start(bool swallowKeys) {
        std::string reason;
        ASSERT_TRUE(capture_->Start(swallowKeys, reason)) << reason;
    }
    bool Type(const std::vector<std::string>& arguments) { return testing::Xdotool(server_->Display(), arguments); }

    std::unique_ptr<testing::PrivateXServer> server_;
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    std::vector<CapturedKey> keys_;
    std::vector<CapturedButton> buttons_;
    // Last: its thread stops before what it posts to goes.
    std::unique_ptr<IInputCapture> capture_;
};

// Linux key codes.
constexpr int kKeyA = 30;
constexpr int kKeyB = 48;
constexpr int kKeyC = 46;
constexpr int kKeyLeftCtrl = 29;
constexpr int kKeyCapsLock = 58;
constexpr int kKeyRight = 106;
constexpr CapturedKey Press(int key) { return {true, key}; }
constexpr CapturedKey Release(int key) { return {false, key}; }

TEST_F(InputCaptureTest, KeysTypedAnywhereComeAsLinuxKeyCodesAndAHeldKeyPressesOnce) {
    EXPECT_TRUE(capture_->Global());
    FocusedWindow window(server_->Display());
    ASSERT_TRUE(window.Open());
    window.SetRepeat(200, 30);
    Start(false);

    ASSERT_TRUE(Type({"key", "a", "keydown", "Control_L", "keyup", "Control_L", "key", "Right"}));
    ASSERT_TRUE(WaitForKeys(6));
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{Press(kKeyA), Release(kKeyA), Press(kKeyLeftCtrl), Release(kKeyLeftCtrl),
                                               Press(kKeyRight), Release(kKeyRight)}));
    // Not swallowed: the focused window has them too.
    EXPECT_TRUE(testing::WaitUntil([&] { return window.KeyPresses() == 3; }));

    // Long enough for the server to repeat the key to the window many times over.
    keys_.clear();
    ASSERT_TRUE(Type({"keydown", "b", "sleep", "0.6", "keyup", "b", "key", "c"}));
    ASSERT_TRUE(WaitForKeys(4));
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{Press(kKeyB), Release(kKeyB), Press(kKeyC), Release(kKeyC)}));
    EXPECT_GT(window.KeyPresses(), 3 + 2) << "the server did not repeat the held key: the check proves nothing";
}

TEST_F(InputCaptureTest, ButtonsComeInTheMacroEditorsNumberingWithWhereThePointerWasAndTheWheelIsLeftOut) {
    Start(false);
    ASSERT_TRUE(Type({"mousemove", "100", "120", "click", "1", "click", "3", "click", "4", "click", "2",
                      "mousemove", "30", "40", "click", "8", "click", "9"}));
    ASSERT_TRUE(testing::WaitUntil([&] {
        RunPosted();
        return buttons_.size() >= 10;
    }, 20000));
    const auto click = [](int button, int x, int y) {
        return std::vector<CapturedButton>{{true, button, x, y}, {false, button, x, y}};
    };
    std::vector<CapturedButton> expected;
    for (const auto& pair : {click(kLeftButton, 100, 120), click(kRightButton, 100, 120),
                             click(kMiddleButton, 100, 120), click(kBackButton, 30, 40),
                             click(kForwardButton, 30, 40)}) {
        expected.insert(expected.end(), pair.begin(), pair.end());
    }
    EXPECT_EQ(buttons_, expected);
    EXPECT_TRUE(keys_.empty());
}

TEST_F(InputCaptureTest, SwallowedKeysReachNoOtherClientUntilStopAndTheLockKeysStillLock) {
    FocusedWindow window(server_->Display());
    ASSERT_TRUE(window.Open());
    ASSERT_FALSE(window.CapsLocked());
    Start(true);

    ASSERT_TRUE(Type({"key", "a", "key", "Caps_Lock"}));
    ASSERT_TRUE(WaitForKeys(4));
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{Press(kKeyA), Release(kKeyA), Press(kKeyCapsLock), Release(kKeyCapsLock)}));
    // The capture has seen both keys, so the server has dealt with them: the window would have them now.
    EXPECT_EQ(window.KeyPresses(), 0);
    EXPECT_TRUE(window.CapsLocked());
    ASSERT_TRUE(Type({"key", "Caps_Lock"}));
    ASSERT_TRUE(WaitForKeys(6));
    EXPECT_FALSE(window.CapsLocked());
    EXPECT_EQ(window.KeyPresses(), 0);

    capture_->Stop();
    ASSERT_TRUE(Type({"key", "a"}));
    EXPECT_TRUE(testing::WaitUntil([&] { return window.KeyPresses() == 1; }, 20000));
}

TEST_F(InputCaptureTest, NothingIsReportedAfterStopAndStartingOrStoppingTwiceIsHarmless) {
    Start(true);
    Start(true);  // starts afresh: one capture, not two
    ASSERT_TRUE(Type({"key", "a"}));
    ASSERT_TRUE(WaitForKeys(2));
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{Press(kKeyA), Release(kKeyA)}));

    // Typed and seen, but not yet handed to the handlers when the capture stops.
    keys_.clear();
    ASSERT_TRUE(Type({"key", "b"}));
    ASSERT_TRUE(testing::WaitUntil([&] {
        const std::lock_guard lock(mutex_);
        return posted_.size() >= 2;
    }, 20000));
    capture_->Stop();
    capture_->Stop();
    RunPosted();
    EXPECT_TRUE(keys_.empty());

    // The grab went with the capture: a new one can take the keyboard again.
    Start(true);
    ASSERT_TRUE(Type({"key", "c"}));
    ASSERT_TRUE(WaitForKeys(2));
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{Press(kKeyC), Release(kKeyC)}));
    capture_.reset();  // stops as it goes
}

TEST(InputCaptureWithoutDisplayTest, ADisplayThatCannotBeOpenedGivesNoCapture) {
    const auto post = [](std::function<void()>) {};
    EXPECT_EQ(MakeX11InputCapture(":4321", post, [](const CapturedKey&) {}, [](const CapturedButton&) {}), nullptr);
}

}  // namespace
}  // namespace velnor7
