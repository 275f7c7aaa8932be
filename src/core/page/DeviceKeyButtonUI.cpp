#include "core/page/DeviceKeyButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ResourceManager.h"

#include <QPainter>
#include <QWidget>

namespace velnor7 {

CDeviceKeyButtonUI::CDeviceKeyButtonUI() { SetPaintsOverlay(true); }

QString CDeviceKeyButtonUI::GetClass() const { return "DeviceKeyButton"; }

void CDeviceKeyButtonUI::SetLight(const QColor& colour, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (colour == lightColour_ && alpha == lightAlpha_) return;
    lightColour_ = colour;
    lightAlpha_ = alpha;
    if (lit_) Invalidate();
}

void CDeviceKeyButtonUI::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeySetImageHidden(bool hidden) {
    if (hidden == keySetHidden_) return;
    keySetHidden_ = hidden;
    Invalidate();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    Invalidate();
}

void CDeviceKeyButtonUI::PaintOverlay(QPainter& painter) {
    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    const QRect area = GetWidget()->rect();
    if (lit_ && lightAlpha_ > 0) {
        const QPixmap light = resources.GetImage(lightImage_);
        if (!light.isNull()) {
            ui::CResourceManager::DrawTinted(painter, area, light, lightColour_, lightAlpha_);
        } else {
            QColor fill = lightColour_;
            fill.setAlpha(lightAlpha_);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawRoundedRect(QRectF(area).adjusted(2, 2, -2, -2), 4, 4);
        }
    }
    if (!keySetHidden_) {
        const QPixmap mark = resources.GetImage(keySetImage_);
        if (!mark.isNull()) painter.drawPixmap(area, mark);
    }
    if (selected_) {
        const QPixmap frame = resources.GetImage(selectedImage_);
        if (!frame.isNull()) {
            painter.drawPixmap(area, frame);
        } else {
            painter.setPen(QPen(QColor(0x2B, 0xB3, 0xFF), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(area).adjusted(1, 1, -1, -1));
        }
    }
}

bool CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "lightimage") {
        lightImage_ = ui::ParseImagePath(value);
        return true;
    }
    if (name == "keysetimage") {
        keySetImage_ = ui::ParseImagePath(value);
        return true;
    }
    if (name == "selectedframeimage") {
        selectedImage_ = ui::ParseImagePath(value);
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace velnor7
