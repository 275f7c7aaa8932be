#include "ui/WindowWidget.h"

#include "ui/WindowWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

namespace velnor7::ui {

namespace {

constexpr int kResizeBorder = 6;

}  // namespace

WindowWidget::WindowWidget(CWindowWnd* window) : window_(window) {
    setAttribute(Qt::WA_StyledBackground, true);
    // Moves over the window's background (and controls that do not track the mouse) reach
    // it, so that its edges show the resize cursor.
    setMouseTracking(true);
}

void WindowWidget::Send(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) {
    if (window_ == nullptr) return;
    window_->HandleMessage(WindowMessage{id, wParam, lParam, {}});
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The window decides in its close message what closing means (hide, destroy, ...).
    event->ignore();
    if (window_ != nullptr) PostWindowMessage(window_->GetHWND(), WindowMessage{wm::kClose, 0, 0, {}});
}

void WindowWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) Send(wm::kActivate, isActiveWindow() ? wm::kActive : wm::kInactive);
    // Minimised, maximised or restored: a size message that says which, as the system's does.
    if (event->type() == QEvent::WindowStateChange) Send(wm::kSize, SizeKind(), SizeParameter());
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Send(wm::kSize, SizeKind(), SizeParameter());
}

std::uintptr_t WindowWidget::SizeKind() const {
    if (isMinimized()) return wm::kSizeMinimized;
    return isMaximized() ? wm::kSizeMaximized : wm::kSizeRestored;
}

std::intptr_t WindowWidget::SizeParameter() const {
    return static_cast<std::intptr_t>((height() << 16) | (width() & 0xFFFF));
}

void WindowWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) Send(wm::kShowWindow, 1);
}

void WindowWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) Send(wm::kShowWindow, 0);
}

void WindowWidget::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    Send(wm::kMouseHover);
}

void WindowWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    Send(wm::kMouseLeave);
}

Qt::Edges WindowWidget::EdgesAt(const QPoint& point) const {
    Qt::Edges edges;
    if (!sizeBox_) return edges;
    if (point.x() < kResizeBorder) edges |= Qt::LeftEdge;
    if (point.x() >= width() - kResizeBorder) edges |= Qt::RightEdge;
    if (point.y() < kResizeBorder) edges |= Qt::TopEdge;
    if (point.y() >= height() - kResizeBorder) edges |= Qt::BottomEdge;
    return edges;
}

Qt::CursorShape WindowWidget::CursorFor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal) return Qt::SizeHorCursor;
    return vertical ? Qt::SizeVerCursor : Qt::ArrowCursor;
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
    // Presses reach the window only where no control took them: its background. The
    // desktop moves and resizes the window where it can; elsewhere (no window manager,
    // one that does not offer it) the window follows the mouse itself.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr && !isMaximized()) {
        const QPoint point = event->position().toPoint();
        const Qt::Edges edges = EdgesAt(point);
        if (edges != Qt::Edges() || point.y() < captionHeight_) {
            drag_ = Drag{edges != Qt::Edges() ? DragState::Resizing : DragState::Pressed, edges,
                         event->globalPosition().toPoint(), geometry()};
            // A move starts once the mouse moves: a press that stays put may be the first of
            // a double click, which the desktop would never pass on once it moves the window.
            if (drag_.state == DragState::Resizing && windowHandle()->startSystemResize(edges)) drag_ = Drag{};
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void WindowWidget::mouseMoveEvent(QMouseEvent* event) {
    if (drag_.state == DragState::None) {
        if (event->buttons() == Qt::NoButton) {
            const Qt::Edges edges = isMaximized() ? Qt::Edges() : EdgesAt(event->position().toPoint());
            if (edges == Qt::Edges()) unsetCursor();
            else setCursor(CursorFor(edges));
        }
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - drag_.pressedAt;
    if (drag_.state == DragState::Pressed) {
        if (delta.manhattanLength() < QApplication::startDragDistance()) return;
        drag_.state = DragState::Moving;
        if (windowHandle()->startSystemMove()) {
            drag_ = Drag{};
            return;
        }
    }
    if (drag_.state == DragState::Moving) move(drag_.startGeometry.topLeft() + delta);
    else setGeometry(ResizedGeometry(drag_.startGeometry, drag_.edges, delta, minimumSize(), maximumSize()));
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_.state != DragState::None && event->button() == Qt::LeftButton) {
        drag_ = Drag{};
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

QRect WindowWidget::ResizedGeometry(const QRect& start, Qt::Edges edges, const QPoint& delta, const QSize& minimum,
                                    const QSize& maximum) {
    // The edge that does not move stays put; the one that does stops at the size limits.
    QRect result = start;
    const auto limit = [](int length, int least, int most) { return std::clamp(length, least, std::max(least, most)); };
    if (edges & Qt::LeftEdge)
        result.setLeft(start.right() + 1 - limit(start.width() - delta.x(), minimum.width(), maximum.width()));
    if (edges & Qt::RightEdge) result.setWidth(limit(start.width() + delta.x(), minimum.width(), maximum.width()));
    if (edges & Qt::TopEdge)
        result.setTop(start.bottom() + 1 - limit(start.height() - delta.y(), minimum.height(), maximum.height()));
    if (edges & Qt::BottomEdge) result.setHeight(limit(start.height() + delta.y(), minimum.height(), maximum.height()));
    return result;
}

void WindowWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click on the caption maximises the window, or gives it back its size.
    if (event->button() == Qt::LeftButton && sizeBox_ && event->position().y() < captionHeight_) {
        drag_ = Drag{};
        if (isMaximized()) showNormal();
        else showMaximized();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace velnor7::ui
