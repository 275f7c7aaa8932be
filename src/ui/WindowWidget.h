#pragma once
// The Qt widget of a window: turns Qt's events into the window's messages, and lets a
// frameless window be moved by its caption strip and resized by its edges.

#include <QWidget>

namespace velnor7::ui {

class CWindowWnd;

class WindowWidget : public QWidget {
public:
    explicit WindowWidget(CWindowWnd* window);
    void SetCaptionHeight(int pixels) { captionHeight_ = pixels; }
    void SetSizeBox(bool resizable) { sizeBox_ = resizable; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Qt::Edges EdgesAt(const QPoint& point) const;
    void Send(unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    CWindowWnd* window_;
    int captionHeight_ = 0;
    bool sizeBox_ = false;
};

}  // namespace velnor7::ui
