#include "shell/WndUI.h"

#include "ui/ControlWidget.h"

#include <functional>
#include <utility>

namespace velnor7 {

namespace {

// The control's box; it tells the control about its own geometry and visibility changes and
// about moves of the widgets above it.
class WndWidget : public ui::ControlWidget<QWidget> {
public:
    std::function<void()> onGeometryOrVisibility;
    std::function<void()> onParentChange;

protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (onGeometryOrVisibility) onGeometryOrVisibility();
            break;
        case QEvent::ParentChange:
            if (onParentChange) onParentChange();
            break;
        default:
            break;
        }
        return ControlWidget<QWidget>::event(e);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Move && onGeometryOrVisibility) onGeometryOrVisibility();
        return ControlWidget<QWidget>::eventFilter(watched, e);
    }
};

WndWidget* Box(QWidget* widget) { return static_cast<WndWidget*>(widget); }

}  // namespace

CWndUI::CWndUI() : CControlUI(new WndWidget) {
    WndWidget* box = Box(GetWidget());
    box->onGeometryOrVisibility = [this] { PlaceHosted(); };
    box->onParentChange = [this] {
        if (hosted_) FollowAncestors();
        PlaceHosted();
    };
}

CWndUI::~CWndUI() {
    // The box outlives this part of the control by a moment; it must not call back into it.
    if (WndWidget* box = Box(GetWidget())) {
        box->onGeometryOrVisibility = nullptr;
        box->onParentChange = nullptr;
    }
    if (hosted_) hosted_->hide();
    StopFollowingAncestors();
}

QString CWndUI::GetClass() const { return "Wnd"; }

void CWndUI::Attach(QWidget* widget) {
    Detach();
    hosted_ = widget;
    if (!hosted_) return;
    FollowAncestors();
    PlaceHosted();
}

QWidget* CWndUI::Detach() {
    StopFollowingAncestors();
    return std::exchange(hosted_, nullptr).data();
}

void CWndUI::FollowAncestors() {
    StopFollowingAncestors();
    QWidget* box = GetWidget();
    for (QWidget* above = box->parentWidget(); above != nullptr; above = above->parentWidget()) {
        above->installEventFilter(box);
        followed_.emplace_back(above);
    }
}

void CWndUI::StopFollowingAncestors() {
    QWidget* box = GetWidget();
    for (const QPointer<QWidget>& above : followed_) {
        if (above && box != nullptr) above->removeEventFilter(box);
    }
    followed_.clear();
}

void CWndUI::PlaceHosted() {
    QWidget* box = GetWidget();
    if (!hosted_ || box == nullptr) return;
    const bool shown = box->isVisible() && !box->window()->isMinimized();
    if (shown) {
        const QPoint onScreen = box->mapToGlobal(QPoint(0, 0));
        const QWidget* holder = hosted_->parentWidget();
        const QPoint topLeft = hosted_->isWindow() || holder == nullptr ? onScreen : holder->mapFromGlobal(onScreen);
        hosted_->setGeometry(QRect(topLeft, box->size()));
    }
    hosted_->setVisible(shown);
}

}  // namespace velnor7
