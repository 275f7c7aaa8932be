#include "core/page/DeviceKeyButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "core/page/KeyCapImages.h"
#include "ui/ResourceManager.h"

#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>
#include <QWidget>

namespace velnor7 {

namespace {

class KeyCapWidget : public ui::ControlWidget<QPushButton> {
protected:
    void paintEvent(QPaintEvent*) override {
        auto* key = static_cast<CDeviceKeyButtonUI*>(owner);
        if (key == nullptr) return;
        QPainter painter(this);
        key->PaintUnderlay(painter);
        key->PaintLabel(painter);
        key->PaintOverlay(painter);
    }
};

// How bright a colour looks, 0..255.
int Luma(const QColor& colour) { return (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000; }

}  // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI() : CButtonUI(new KeyCapWidget) {}

QString CDeviceKeyButtonUI::GetClass() const { return "DeviceKeyButton"; }

bool CDeviceKeyButtonUI::SetLight(const QColor& colour, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (colour == lightColour_ && alpha == lightAlpha_) return false;
    lightColour_ = colour;
    lightAlpha_ = alpha;
    lightChanged_ = true;
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

void CDeviceKeyButtonUI::PaintUnderlay(QPainter& painter) {
    auto* button = static_cast<QPushButton*>(GetWidget());
    const bool hot = button->underMouse() && button->isEnabled();
    const ui::ImageRef& cap = button->isDown() && !capPushed_.path.isEmpty() ? capPushed_
                              : hot && !capHot_.path.isEmpty()               ? capHot_
                                                                             : capNormal_;
    // The light keeps its soft edge at the cap's corners instead of stretching it over a long key.
    const int alpha = lit_ ? lightAlpha_ : 0;
    if (alpha <= 0 || !lightImage_.isEmpty()) {
        painter.drawPixmap(0, 0, KeyCapImages::Instance().LitCap(cap.path, cap.corner, lightImage_, button->size(), lightColour_, alpha));
        return;
    }
    painter.drawPixmap(0, 0, KeyCapImages::Instance().Cap(cap.path, cap.corner, button->size()));
    QColor fill = lightColour_;
    fill.setAlpha(alpha);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(button->rect()).adjusted(2, 2, -2, -2), 4, 4);
}

QColor CDeviceKeyButtonUI::LabelColour() const {
    const QColor text = GetTextColor().isValid() ? GetTextColor() : QColor(0xE6, 0xE8, 0xEE);
    if (!lit_) return text;
    // The light over the dark cap, as bright as it looks.
    const int shown = Luma(lightColour_) * lightAlpha_ / 255;
    constexpr int kWashedOut = 150;
    return shown >= kWashedOut ? QColor(0x14, 0x16, 0x1B) : text;
}

void CDeviceKeyButtonUI::PaintLabel(QPainter& painter) {
    auto* button = static_cast<QPushButton*>(GetWidget());
    if (button->text().isEmpty()) return;
    // The label is laid out once per text, font and size; a repaint only draws its glyphs.
    const QRect area = button->rect().adjusted(2, 0, -2, 0);
    if (labelText_ != button->text() || labelFont_ != button->font() || labelSize_ != area.size()) {
        labelText_ = button->text();
        QString text = labelText_;
        label_.setText(text.replace("&&", "&"));
        label_.setTextFormat(Qt::PlainText);
        label_.setTextWidth(area.width());
        QTextOption centred(Qt::AlignHCenter);
        centred.setWrapMode(QTextOption::WordWrap);
        label_.setTextOption(centred);
        label_.prepare(QTransform(), button->font());
        labelFont_ = button->font();
        labelSize_ = area.size();
    }
    painter.setFont(labelFont_);
    QColor colour = LabelColour();
    if (!button->isEnabled()) colour.setAlpha(110);
    painter.setPen(colour);
    const QSizeF shown = label_.size();
    painter.drawStaticText(QPointF(area.left(), area.top() + (area.height() - shown.height()) / 2), label_);
}

void CDeviceKeyButtonUI::PaintOverlay(QPainter& painter) {
    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    const QRect area = GetWidget()->rect();
    if (!keySetHidden_) {
        // The mark sits in the top right corner, square however long the key is.
        const QPixmap mark = resources.GetImage(keySetImage_);
        if (!mark.isNull()) {
            const qreal side = area.height();
            painter.drawPixmap(QRectF(area.right() + 1 - side, 0, side, side), mark, QRectF(mark.rect()));
        }
    }
    if (selected_) {
        const QPixmap frame = resources.GetImage(selectedImage_);
        if (!frame.isNull()) {
            qDrawBorderPixmap(&painter, area, capNormal_.corner, frame);
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
