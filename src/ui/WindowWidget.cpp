#include "ui/WindowWidget.h"

#include "ui/WindowWnd.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QWindow>

namespace velnor7::ui {

namespace {

constexpr int kResizeBorder = 6;

}  // namespace

WindowWidget::WindowWidget(CWindowWnd* window) : window_(window) {
    setAttribute(Qt::WA_StyledBackground, true);
    setMouseTracking(false);
}

void WindowWidget::Send(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) {
    window_->HandleMessage(WindowMessage{id, wParam, lParam, {}});
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The window decides in its close message what closing means (hide, destroy, ...).
    event->ignore();
    PostWindowMessage(window_->GetHWND(), WindowMessage{wm::kClose, 0, 0, {}});
}

void WindowWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) Send(wm::kActivate, isActiveWindow() ? wm::kActive : wm::kInactive);
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Send(wm::kSize, 0, static_cast<std::intptr_t>((height() << 16) | (width() & 0xFFFF)));
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

void WindowWidget::mousePressEvent(QMouseEvent* event) {
    // Presses reach the window only where no control took them: its background.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        const QPoint point = event->position().toPoint();
        const Qt::Edges edges = EdgesAt(point);
        if (edges != Qt::Edges() && windowHandle()->startSystemResize(edges)) return;
        if (point.y() < captionHeight_ && windowHandle()->startSystemMove()) return;
    }
    QWidget::mousePressEvent(event);
}

void WindowWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && sizeBox_ && event->position().y() < captionHeight_) {
        setWindowState(windowState() ^ Qt::WindowMaximized);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace velnor7::ui
