#include "ui/WindowWnd.h"

#include "ui/WindowWidget.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

namespace velnor7::ui {

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
    for (CWindowWnd* owned : std::vector<CWindowWnd*>(owned_)) owned->Destroy(0);
    for (CWindowWnd* owned : owned_) owned->owner_ = nullptr;  // those not created to the end
    if (owner_ != nullptr) std::erase(owner_->owned_, this);
    if (handle_ != 0) UnregisterWindow(handle_);
    for (auto& [id, timer] : timers_) delete timer;
    delete widget_.data();
}

QWidget* CWindowWnd::CreateWidget() { return new WindowWidget(this); }

bool CWindowWnd::Create(CWindowWnd* owner, const QString& title, unsigned style) {
    if (widget_ != nullptr) return false;
    owner_ = owner;
    QWidget* widget = CreateWidget();
    Qt::WindowFlags flags = (style & kToolWindow) != 0 ? Qt::Tool : Qt::Window;
    if ((style & kFrameless) != 0) flags |= Qt::FramelessWindowHint;
    if ((style & kTopmost) != 0) flags |= Qt::WindowStaysOnTopHint;
    if (owner != nullptr && owner->GetWidget() != nullptr) {
        widget->setParent(owner->GetWidget());
        owner->owned_.push_back(this);
    }
    widget->setWindowFlags(flags);
    widget->setAttribute(Qt::WA_ShowWithoutActivating, (style & kNoActivate) != 0);
    widget->setWindowTitle(title);
    widget_ = widget;
    handle_ = RegisterWindow(this);
    OnCreate();
    return true;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!widget_) return;
    widget_->setVisible(show);
    if (show && takeFocus) {
        widget_->raise();
        widget_->activateWindow();
    }
}

int CWindowWnd::ShowModal() {
    if (!widget_) return -1;
    int result = 0;
    QEventLoop loop;
    widget_->setWindowModality(Qt::ApplicationModal);
    modalLoop_ = &loop;
    modalResult_ = &result;
    ShowWindow(true);
    loop.exec();
    // The window may have deleted itself when it closed: only locals from here on.
    return result;
}

void CWindowWnd::CenterWindow() {
    if (!widget_) return;
    QRect area;
    if (owner_ != nullptr && owner_->GetWidget() != nullptr && owner_->GetWidget()->isVisible()) {
        area = owner_->GetWidget()->frameGeometry();
    } else if (QScreen* screen = widget_->screen() != nullptr ? widget_->screen() : QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    QRect frame = widget_->frameGeometry();
    frame.moveCenter(area.center());
    widget_->move(frame.topLeft());
}

void CWindowWnd::ResizeClient(int width, int height) {
    if (widget_) widget_->resize(width, height);
}

void CWindowWnd::Close(int result) {
    PostWindowMessage(handle_, WindowMessage{wm::kClose, static_cast<std::uintptr_t>(result), 0, {}});
}

void CWindowWnd::SetTimer(int timerId, int milliseconds) {
    if (!widget_) return;
    QTimer*& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [this, timerId] {
            HandleMessage(WindowMessage{wm::kTimer, static_cast<std::uintptr_t>(timerId), 0, {}});
        });
    }
    timer->start(std::max(0, milliseconds));
}

int CWindowWnd::TimerInterval(int timerId) const {
    const auto found = timers_.find(timerId);
    return found != timers_.end() && found->second->isActive() ? found->second->interval() : -1;
}

void CWindowWnd::ExpireTimer(int timerId) {
    if (HasTimer(timerId)) HandleMessage(WindowMessage{wm::kTimer, static_cast<std::uintptr_t>(timerId), 0, {}});
}

void CWindowWnd::KillTimer(int timerId) {
    const auto found = timers_.find(timerId);
    if (found == timers_.end()) return;
    // The timer may be the one whose expiry is running now.
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
}

long CWindowWnd::HandleMessage(const WindowMessage& message) {
    if (message.id == wm::kClose) Destroy(static_cast<int>(message.wParam));
    return 0;
}

void CWindowWnd::Destroy(int result) {
    if (destroying_ || !widget_) return;
    destroying_ = true;
    // A window this one owns goes first, while its widget is still there.
    for (CWindowWnd* owned : std::vector<CWindowWnd*>(owned_)) owned->Destroy(0);
    if (owner_ != nullptr) std::erase(owner_->owned_, this);
    for (auto& [id, timer] : timers_) {
        timer->stop();
        timer->deleteLater();
    }
    timers_.clear();
    widget_->hide();
    HandleMessage(WindowMessage{wm::kDestroy, 0, 0, {}});
    if (modalLoop_ != nullptr) {
        *modalResult_ = result;
        modalLoop_->exit(result);
        modalLoop_ = nullptr;
        modalResult_ = nullptr;
    }
    UnregisterWindow(handle_);
    handle_ = 0;
    if (QWidget* widget = widget_.data()) {
        widget_ = nullptr;
        // The window may be deleted at its final message, before the widget is.
        if (auto* own = dynamic_cast<WindowWidget*>(widget)) own->ForgetWindow();
        widget->deleteLater();
    }
    OnFinalMessage();
}

int CWindowWnd::MessageLoop() { return QApplication::exec(); }

void CWindowWnd::QuitMessageLoop(int code) { QCoreApplication::exit(code); }

}  // namespace velnor7::ui
