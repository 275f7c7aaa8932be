// The capture of the program's own window, where the session shows a program no other input:
// keys come once, as Linux key codes, auto-repeats and all; buttons as the macro editor counts
// them; and swallowed keys never reach the window's widgets, lock keys excepted.
#include "platform/WindowInputCapture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>

#include <vector>

namespace velnor7 {
namespace {

// XKB key codes: the kernel's plus 8.
constexpr quint32 kXkbA = 30 + 8;
constexpr quint32 kXkbCapsLock = 58 + 8;

class WindowInputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit_.show();
        edit_.activateWindow();
        edit_.setFocus();
        ASSERT_NE(edit_.windowHandle(), nullptr);
    }
    // A key as the window system hands it to the window.
    void Key(QEvent::Type type, int qtKey, quint32 xkbCode, const QString& text, bool repeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, xkbCode, 0, 0, text, repeat);
        QCoreApplication::sendEvent(edit_.windowHandle(), &event);
    }
    void Button(QEvent::Type type, Qt::MouseButton button, QPoint at) {
        QMouseEvent event(type, QPointF(at), QPointF(edit_.mapToGlobal(at)), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(edit_.windowHandle(), &event);
    }

    QLineEdit edit_;
    std::vector<CapturedKey> keys_;
    std::vector<CapturedButton> buttons_;
    std::unique_ptr<IInputCapture> capture_ = MakeWindowInputCapture(
        [this](const CapturedKey& key) { keys_.push_back(key); },
        [this](const CapturedButton& button) { buttons_.push_back(button); });
};

TEST_F(WindowInputCaptureTest, SwallowedKeysAreSeenOnceAndReachNoWidgetButCapsLockDoes) {
    EXPECT_FALSE(capture_->Global());
    std::string reason;
    ASSERT_TRUE(capture_->Start(true, reason)) << reason;
    Key(QEvent::KeyPress, Qt::Key_A, kXkbA, "a");
    Key(QEvent::KeyPress, Qt::Key_A, kXkbA, "a", true);
    Key(QEvent::KeyRelease, Qt::Key_A, kXkbA, "a");
    Key(QEvent::KeyPress, Qt::Key_CapsLock, kXkbCapsLock, "");
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{{true, 30}, {false, 30}, {true, 58}}));
    EXPECT_TRUE(edit_.text().isEmpty());

    capture_->Stop();
    Key(QEvent::KeyPress, Qt::Key_A, kXkbA, "a");
    EXPECT_EQ(keys_.size(), 3u);
    EXPECT_EQ(edit_.text(), "a");
}

TEST_F(WindowInputCaptureTest, KeysPassWhenNotSwallowedAndButtonsComeWithTheirScreenPoint) {
    std::string reason;
    ASSERT_TRUE(capture_->Start(false, reason)) << reason;
    Key(QEvent::KeyPress, Qt::Key_A, kXkbA, "a");
    EXPECT_EQ(edit_.text(), "a");
    EXPECT_EQ(keys_, (std::vector<CapturedKey>{{true, 30}}));

    const QPoint at(4, 3);
    const QPoint screen = edit_.mapToGlobal(at);
    Button(QEvent::MouseButtonPress, Qt::ForwardButton, at);
    Button(QEvent::MouseButtonRelease, Qt::RightButton, at);
    EXPECT_EQ(buttons_, (std::vector<CapturedButton>{{true, kForwardButton, screen.x(), screen.y()},
                                                     {false, kRightButton, screen.x(), screen.y()}}));
}

}  // namespace
}  // namespace velnor7
