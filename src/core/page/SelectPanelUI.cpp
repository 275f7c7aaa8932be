#include "core/page/SelectPanelUI.h"

#include "core/page/DeviceKeyButtonUI.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace velnor7 {

CSelectPanelUI::CSelectPanelUI() {
    SetPaintsUnderlay(true);
    SetPaintsOverlay(true);
}

QString CSelectPanelUI::GetClass() const { return "SelectPanel"; }

void CSelectPanelUI::InsertChildWidget(int index, CControlUI* control) {
    CVerticalLayoutUI::InsertChildWidget(index, control);
    if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(control)) {
        // Keys over an opaque panel are drawn opaque: a copy of finished pixels.
        const QColor backdrop = GetBkColor();
        key->SetPaintedByPanel(true, backdrop.isValid() && backdrop.alpha() == 255 ? backdrop : QColor());
        keys_.push_back(Key{key, key->GetWidget()});
    }
}

void CSelectPanelUI::RemoveChildWidget(int index, CControlUI* control) {
    if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(control)) {
        key->SetPaintedByPanel(false);
        keys_.erase(std::remove_if(keys_.begin(), keys_.end(), [key](const Key& k) { return k.key == key; }), keys_.end());
    }
    CVerticalLayoutUI::RemoveChildWidget(index, control);
}

void CSelectPanelUI::PaintUnderlay(QPainter& painter) {
    // An opaque panel is not given a background by its window: it fills the area itself.
    if (GetWidget()->testAttribute(Qt::WA_OpaquePaintEvent) && HasBkColor()) painter.fillRect(GetWidget()->rect(), GetBkColor());
}

void CSelectPanelUI::PaintOverlay(QPainter& painter) {
    const QRect dirty = painter.clipBoundingRect().toAlignedRect();
    for (const Key& key : keys_) {
        if (key.widget == nullptr || !key.widget->isVisible()) continue;
        const QRect place = key.widget->geometry();
        if (!dirty.isEmpty() && !dirty.intersects(place)) continue;
        painter.translate(place.topLeft());
        key.key->PaintKey(painter);
        painter.translate(-place.topLeft());
    }
}

}  // namespace velnor7
