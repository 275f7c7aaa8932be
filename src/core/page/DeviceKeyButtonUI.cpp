#include "core/page/DeviceKeyButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ResourceManager.h"

#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>
#include <QWidget>

namespace velnor7 {

CDeviceKeyButtonUI::CDeviceKeyButtonUI() {
    SetPaintsOverlay(true);
    SetPaintsUnderlay(true);
}

QString CDeviceKeyButtonUI::GetClass() const { return "DeviceKeyButton"; }

bool CDeviceKeyButtonUI::SetLight(const QColor& colour, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (colour == lightColour_ && alpha == lightAlpha_) return false;
    lightColour_ = colour;
    lightAlpha_ = alpha;
    return true;
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

void CDeviceKeyButtonUI::DrawImage(QPainter& painter, const ui::ImageRef& image) {
    const QPixmap pixmap = ui::CResourceManager::Instance().GetImage(image.path);
    if (pixmap.isNull()) return;
    qDrawBorderPixmap(&painter, GetWidget()->rect(), image.corner, pixmap);
}

void CDeviceKeyButtonUI::PaintUnderlay(QPainter& painter) {
    auto* button = static_cast<QPushButton*>(GetWidget());
    const bool hot = button->underMouse() && button->isEnabled();
    const ui::ImageRef& cap = button->isDown() && !capPushed_.path.isEmpty() ? capPushed_
                              : hot && !capHot_.path.isEmpty()               ? capHot_
                                                                             : capNormal_;
    DrawImage(painter, cap);
    if (!lit_ || lightAlpha_ <= 0) return;
    const QRect area = GetWidget()->rect();
    const QPixmap light = ui::CResourceManager::Instance().GetImage(lightImage_);
    if (!light.isNull()) {
        ui::CResourceManager::DrawTinted(painter, area, light, lightColour_, lightAlpha_);
        return;
    }
    QColor fill = lightColour_;
    fill.setAlpha(lightAlpha_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(area).adjusted(2, 2, -2, -2), 4, 4);
}

void CDeviceKeyButtonUI::PaintOverlay(QPainter& painter) {
    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    const QRect area = GetWidget()->rect();
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
    if (name == "normalimage" || name == "hotimage" || name == "pushedimage") {
        (name == "normalimage" ? capNormal_ : name == "hotimage" ? capHot_ : capPushed_) = ui::ParseImage(value);
        Invalidate();
        return true;
    }
    if (name == "selectedframeimage") {
        selectedImage_ = ui::ParseImagePath(value);
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace velnor7
