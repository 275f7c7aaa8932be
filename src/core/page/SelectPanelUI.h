#pragma once
// The panel that holds a page's on-screen keys. It paints its keys itself, in one pass with
// one painter: a full-keyboard light effect repaints every key fifty times a second, and a
// painter per key would cost several times as much as the keys' own drawing. The keys stay
// buttons for everything else (clicks, hover, tool tips).

#include "ui/ContainerUI.h"

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

protected:
    void InsertChildWidget(int index, CControlUI* control) override;
    void RemoveChildWidget(int index, CControlUI* control) override;

private:
    struct Key {
        CDeviceKeyButtonUI* key;
        QWidget* widget;  // the key's, owned by this panel's widget
    };
    std::vector<Key> keys_;
};

}  // namespace velnor7
