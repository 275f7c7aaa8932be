#pragma once
// The Qt widget of a window: turns Qt's events into the window's messages, and lets a
// frameless window be moved by its caption strip and resized by its edges.

#include <QWidget>

#include <cstdint>

namespace velnor7::ui {

class CWindowWnd;

class WindowWidget : public QWidget {
public:
    explicit WindowWidget(CWindowWnd* window);
    // The window is gone while this widget waits for its deletion: events go nowhere.
    void ForgetWindow() { window_ = nullptr; }
    void SetCaptionHeight(int pixels) { captionHeight_ = pixels; }
    void SetSizeBox(bool resizable) { sizeBox_ = resizable; }
    // The window's geometry after dragging the given edges by `delta` from `start`.
    static QRect ResizedGeometry(const QRect& start, Qt::Edges edges, const QPoint& delta, const QSize& minimum,
                                 const QSize& maximum);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // A move or resize the window does itself, where the desktop does not.
    enum class DragState { None, Pressed, Moving, Resizing };
    struct Drag {
        DragState state = DragState::None;
        Qt::Edges edges;  // none: the caption
        QPoint pressedAt;
        QRect startGeometry;
    };
    static Qt::CursorShape CursorFor(Qt::Edges edges);
    Qt::Edges EdgesAt(const QPoint& point) const;
    std::uintptr_t SizeKind() const;
    std::intptr_t SizeParameter() const;
    void Send(unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    CWindowWnd* window_;
    int captionHeight_ = 0;
    bool sizeBox_ = false;
    Drag drag_;
};

}  // namespace velnor7::ui
