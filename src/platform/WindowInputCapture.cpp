#include "platform/WindowInputCapture.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

#include <optional>

namespace velnor7 {

namespace {

// The native scan code of a key event is the XKB key code on X11 and Wayland alike: the
// kernel's key code plus 8.
constexpr quint32 kXkbKeycodeOffset = 8;

std::optional<int> MacroButtonFromQt(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return kLeftButton;
    case Qt::RightButton:
        return kRightButton;
    case Qt::MiddleButton:
        return kMiddleButton;
    case Qt::BackButton:
        return kBackButton;
    case Qt::ForwardButton:
        return kForwardButton;
    default:
        return std::nullopt;
    }
}

class CWindowInputCapture : public QObject, public IInputCapture {
public:
    CWindowInputCapture(KeyHandler onKey, ButtonHandler onButton)
        : onKey_(std::move(onKey)), onButton_(std::move(onButton)) {}
    ~CWindowInputCapture() override { Stop(); }

    bool Start(bool swallowKeys, std::string& reason) override {
        Stop();
        if (QCoreApplication::instance() == nullptr) {
            reason = "the program has no application object";
            return false;
        }
        swallowKeys_ = swallowKeys;
        QCoreApplication::instance()->installEventFilter(this);
        running_ = true;
        return true;
    }

    void Stop() override {
        if (!running_) return;
        if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
        running_ = false;
    }

    bool Global() const override { return false; }

protected:
    // Input reaches a top-level window first, which passes it on to its widgets: it is taken
    // there, once, and a swallowed key goes no further.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWindowType()) return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return OnKey(*static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            OnButton(*static_cast<QMouseEvent*>(event));
            return false;
        default:
            return false;
        }
    }

private:
    bool OnKey(const QKeyEvent& key) {
        if (!key.isAutoRepeat() && key.nativeScanCode() > kXkbKeycodeOffset) {
            onKey_(CapturedKey{key.type() == QEvent::KeyPress, static_cast<int>(key.nativeScanCode() - kXkbKeycodeOffset)});
        }
        return swallowKeys_ && !IsLockKey(key);
    }

    void OnButton(const QMouseEvent& event) {
        const std::optional<int> button = MacroButtonFromQt(event.button());
        if (!button) return;
        const QPoint at = event.globalPosition().toPoint();
        onButton_(CapturedButton{event.type() == QEvent::MouseButtonPress, *button, at.x(), at.y()});
    }

    static bool IsLockKey(const QKeyEvent& key) {
        return key.key() == Qt::Key_CapsLock || key.key() == Qt::Key_NumLock || key.key() == Qt::Key_ScrollLock;
    }

    KeyHandler onKey_;
    ButtonHandler onButton_;
    bool swallowKeys_ = false;
    bool running_ = false;
};

}  // namespace

std::unique_ptr<IInputCapture> MakeWindowInputCapture(IInputCapture::KeyHandler onKey,
                                                      IInputCapture::ButtonHandler onButton) {
    return std::make_unique<CWindowInputCapture>(std::move(onKey), std::move(onButton));
}

}  // namespace velnor7
