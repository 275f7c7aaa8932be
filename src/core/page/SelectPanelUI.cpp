#include "core/page/SelectPanelUI.h"

#include "core/page/DeviceKeyButtonUI.h"

#include <QMouseEvent>
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
    if (dragging_) {
        const QColor edge(0x00, 0x99, 0xFF);
        painter.fillRect(selection_, QColor(0x00, 0x99, 0xFF, 0x46));
        painter.setPen(QPen(edge, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(selection_.adjusted(1, 1, -1, -1));
    }
}

bool CSelectPanelUI::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !IsEnabled()) return false;
        pressed_ = true;
        start_ = mouse->position().toPoint();
        return true;
    }
    case QEvent::MouseMove:
        if (!pressed_) return false;
        dragging_ = true;
        current_ = static_cast<QMouseEvent*>(event)->position().toPoint();
        selection_ = QRect(start_, current_).normalized();
        Invalidate();
        return true;
    case QEvent::MouseButtonRelease:
        if (!pressed_ || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        pressed_ = false;
        if (dragging_) EndDrag();
        return true;
    default:
        return false;
    }
}

void CSelectPanelUI::EndDrag() {
    dragging_ = false;
    current_ = start_;
    for (const Key& key : keys_) {
        const bool touched = key.widget != nullptr && key.widget->isVisible() && key.widget->geometry().intersects(selection_);
        key.key->SetSelected(touched);
    }
    Invalidate();
    SendNotify("click_select_end");
}

}  // namespace velnor7
