#include "core/page/DeviceKeyButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "core/page/KeyCapImages.h"
#include "ui/ResourceManager.h"

#include <QFontMetrics>
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
        if (key == nullptr || key->PaintedByPanel()) return;
        QPainter painter(this);
        key->PaintKey(painter);
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

void CDeviceKeyButtonUI::PaintKey(QPainter& painter) {
    PaintUnderlay(painter);
    PaintLabel(painter);
    PaintOverlay(painter);
}

void CDeviceKeyButtonUI::PaintUnderlay(QPainter& painter) {
    auto* button = static_cast<QPushButton*>(GetWidget());
    if (!imagesLoaded_) {
        // Looked up once, not on each of the many repaints of an effect.
        ui::CResourceManager& resources = ui::CResourceManager::Instance();
        for (size_t i = 0; i < capImages_.size(); ++i) capImages_[i] = resources.GetImage(CapRef(static_cast<CapState>(i)).path);
        lightPixmap_ = resources.GetImage(lightImage_);
        imagesLoaded_ = true;
    }
    const bool hot = button->underMouse() && button->isEnabled();
    CapState state = button->isDown() && !capPushed_.path.isEmpty() ? CapState::Pushed
                     : hot && !capHot_.path.isEmpty()               ? CapState::Hot
                                                                    : CapState::Normal;
    const ui::ImageRef& cap = CapRef(state);
    // The light keeps its soft edge at the cap's corners instead of stretching it over a long key.
    const int alpha = lit_ ? lightAlpha_ : 0;
    painter.drawImage(0, 0, KeyCapImages::Instance().LitCap(capImages_[static_cast<size_t>(state)], cap.corner, lightPixmap_,
                                                            button->size(), lightColour_, alpha, backdrop_));
    if (alpha <= 0 || !lightPixmap_.isNull()) return;
    // A skin without a light image: a plain rounded light.
    QColor fill = lightColour_;
    fill.setAlpha(alpha);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(button->rect()).adjusted(2, 2, -2, -2), 4, 4);
}

QColor CDeviceKeyButtonUI::LabelColour(bool overLight) const {
    const QColor text = GetTextColor().isValid() ? GetTextColor() : QColor(0xE6, 0xE8, 0xEE);
    if (!lit_ || !overLight) return text;
    // The light over the dark cap, as bright as it looks.
    const int shown = Luma(lightColour_) * lightAlpha_ / 255;
    constexpr int kWashedOut = 150;
    return shown >= kWashedOut ? QColor(0x14, 0x16, 0x1B) : text;
}

void CDeviceKeyButtonUI::PaintLabel(QPainter& painter) {
    auto* button = static_cast<QPushButton*>(GetWidget());
    const QString text = button->text();
    if (text.isEmpty()) return;
    // The label is drawn once per text, font, size and colour into an image of its own size;
    // a repaint of the key only lays that over the light.
    if (labelText_ != text || labelFont_ != button->font() || labelSize_ != button->size()) {
        labelText_ = text;
        labelFont_ = button->font();
        labelSize_ = button->size();
        for (QPixmap& image : labelImages_) image = QPixmap();
        QString shown = labelText_;
        labelShown_ = shown.replace("&&", "&");
        const QRect area = button->rect().adjusted(2, 0, -2, 0);
        labelRect_ = QFontMetrics(labelFont_).boundingRect(area, kLabelFlags, labelShown_).intersected(button->rect());
    }
    if (labelRect_.isEmpty()) return;
    const QColor colour = LabelColour();
    QPixmap& image = labelImages_[colour != LabelColour(false) ? 1 : 0];
    if (image.isNull()) {
        QImage drawn(labelRect_.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter text(&drawn);
        text.setFont(labelFont_);
        text.setPen(colour);
        text.translate(-labelRect_.topLeft());
        text.drawText(button->rect().adjusted(2, 0, -2, 0), kLabelFlags, labelShown_);
        text.end();
        image = QPixmap::fromImage(std::move(drawn));
    }
    if (!button->isEnabled()) painter.setOpacity(0.45);
    painter.drawPixmap(labelRect_.topLeft(), image);
    if (!button->isEnabled()) painter.setOpacity(1.0);
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

const ui::ImageRef& CDeviceKeyButtonUI::CapRef(CapState state) const {
    return state == CapState::Pushed ? capPushed_ : state == CapState::Hot ? capHot_ : capNormal_;
}

bool CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    // The images and the drawn label follow the attributes (text colour among them).
    imagesLoaded_ = false;
    labelText_.clear();
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
