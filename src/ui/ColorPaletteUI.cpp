#include "ui/ColorPaletteUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QLinearGradient>
#include <QMouseEvent>

namespace velnor7::ui {

namespace {

constexpr int kGap = 8;
constexpr int kMarkerRadius = 6;

}  // namespace

CColorPaletteUI::CColorPaletteUI() {
    SetPaintsOverlay(true);
    GetWidget()->setCursor(Qt::CrossCursor);
    GetWidget()->setMinimumSize(40, 40);
}

QString CColorPaletteUI::GetClass() const { return "ColorPalette"; }

quint32 CColorPaletteUI::GetSelectColor() const {
    return QColor::fromHsv(hue_, saturation_, value_).rgb() | 0xFF000000u;
}

void CColorPaletteUI::SetSelectColor(quint32 argb) {
    const QColor colour = QColor::fromRgb(argb | 0xFF000000u);
    // Grey has no hue of its own: keep the strip where it was.
    if (colour.hsvHue() >= 0) hue_ = colour.hsvHue();
    saturation_ = colour.hsvSaturation();
    value_ = colour.value();
    Invalidate();
}

QRect CColorPaletteUI::Area() const {
    // Room for the markers, which stand out over the edges of the square and the strip.
    const int margin = Scaled(kMarkerRadius) + 1;
    return GetWidget()->rect().adjusted(margin, margin, -margin, -margin);
}

QRect CColorPaletteUI::HueRect() const {
    const QRect all = Area();
    const int bar = Scaled(barHeight_);
    return QRect(all.left(), all.bottom() - bar + 1, all.width(), bar);
}

QRect CColorPaletteUI::SquareRect() const {
    const QRect all = Area();
    int height = all.height() - Scaled(barHeight_) - Scaled(kGap);
    if (paletteHeight_ > 0) height = std::min(height, Scaled(paletteHeight_));
    return QRect(all.left(), all.top(), all.width(), std::max(1, height));
}

void CColorPaletteUI::PickAt(const QPoint& point, bool fromSquare, const QString& notification) {
    if (fromSquare) {
        const QRect square = SquareRect();
        const int x = std::clamp(point.x() - square.left(), 0, std::max(1, square.width() - 1));
        const int y = std::clamp(point.y() - square.top(), 0, std::max(1, square.height() - 1));
        saturation_ = x * 255 / std::max(1, square.width() - 1);
        value_ = 255 - y * 255 / std::max(1, square.height() - 1);
    } else {
        const QRect bar = HueRect();
        const int x = std::clamp(point.x() - bar.left(), 0, std::max(1, bar.width() - 1));
        hue_ = std::min(359, x * 360 / std::max(1, bar.width()));
    }
    Invalidate();
    SendNotify(notification, GetSelectColor());
}

bool CColorPaletteUI::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !IsEnabled()) return false;
        const QPoint point = mouse->position().toPoint();
        if (SquareRect().contains(point)) drag_ = Drag::Square;
        else if (HueRect().contains(point)) drag_ = Drag::Hue;
        else return false;
        PickAt(point, drag_ == Drag::Square, "colorchanged");
        moved_ = false;
        return true;
    }
    case QEvent::MouseMove:
        if (drag_ == Drag::None) return false;
        PickAt(static_cast<QMouseEvent*>(event)->position().toPoint(), drag_ == Drag::Square, "colorchanging");
        moved_ = true;
        return true;
    case QEvent::MouseButtonRelease:
        if (drag_ == Drag::None) return false;
        drag_ = Drag::None;
        // A drag is one choice: where it ended.
        if (moved_) SendNotify("colorchanged", GetSelectColor());
        return true;
    default:
        return false;
    }
}

void CColorPaletteUI::PaintOverlay(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect square = SquareRect();
    const QRect bar = HueRect();

    QLinearGradient saturation(square.topLeft(), square.topRight());
    saturation.setColorAt(0, Qt::white);
    saturation.setColorAt(1, QColor::fromHsv(hue_, 255, 255));
    painter.fillRect(square, saturation);
    QLinearGradient value(square.topLeft(), square.bottomLeft());
    value.setColorAt(0, QColor(0, 0, 0, 0));
    value.setColorAt(1, QColor(0, 0, 0, 255));
    painter.fillRect(square, value);

    QLinearGradient hues(bar.topLeft(), bar.topRight());
    for (int h = 0; h <= 360; h += 60) hues.setColorAt(h / 360.0, QColor::fromHsv(h % 360, 255, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(hues);
    painter.drawRoundedRect(bar, bar.height() / 2.0, bar.height() / 2.0);

    // Markers: a ring on the chosen point, a notch on the chosen hue.
    const QPoint chosen(square.left() + saturation_ * (square.width() - 1) / 255,
                        square.top() + (255 - value_) * (square.height() - 1) / 255);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(chosen, Scaled(kMarkerRadius), Scaled(kMarkerRadius));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(chosen, Scaled(kMarkerRadius), Scaled(kMarkerRadius));
    const int hueX = bar.left() + hue_ * (bar.width() - 1) / 359;
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor::fromHsv(hue_, 255, 255));
    painter.drawEllipse(QPoint(hueX, bar.center().y()), bar.height() / 2 + 1, bar.height() / 2 + 1);
}

bool CColorPaletteUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "palletheight" || name == "barheight") {
        const auto number = ParseInt(value);
        if (!number || *number < 0) return false;
        (name == "palletheight" ? paletteHeight_ : barHeight_) = *number;
        Invalidate();
        return true;
    }
    if (name == "selectcolor") return ApplyParsed(value, ParseColour, [&](QColor colour) { SetSelectColor(colour.rgba()); });
    return CControlUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui
