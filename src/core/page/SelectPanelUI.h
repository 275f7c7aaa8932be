#pragma once
// The panel that holds a page's on-screen keys. It paints its keys itself, in one pass with
// one painter: a full-keyboard light effect repaints every key fifty times a second, and a
// painter per key would cost several times as much as the keys' own drawing. The keys stay
// buttons for everything else (clicks, hover, tool tips).
//
// A drag that starts on the panel between the keys draws a selection rectangle; when the
// button is released, the keys the rectangle touches are selected, every other key is not,
// and the panel notifies "click_select_end". A click without a drag selects nothing.

#include "ui/ContainerUI.h"

#include <QPoint>
#include <QRect>

#include <vector>

class QWidget;

namespace velnor7 {

class CDeviceKeyButtonUI;

class CSelectPanelUI : public ui::CVerticalLayoutUI {
public:
    CSelectPanelUI();
    QString GetClass() const override;
    // Its background colour when it is opaque, then the keys inside the area being
    // repainted, each at its place.
    void PaintUnderlay(QPainter& painter) override;
    void PaintOverlay(QPainter& painter) override;
    bool OnWidgetEvent(QEvent* event) override;
    // While a drag lasts: the rectangle, its corners ordered.
    bool IsDragging() const { return dragging_; }
    QRect SelectionRect() const { return selection_; }

protected:
    void InsertChildWidget(int index, CControlUI* control) override;
    void RemoveChildWidget(int index, CControlUI* control) override;

private:
    struct Key {
        CDeviceKeyButtonUI* key;
        QWidget* widget;  // the key's, owned by this panel's widget
    };
    void EndDrag();

    std::vector<Key> keys_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint start_;
    QPoint current_;
    QRect selection_;
};

}  // namespace velnor7
