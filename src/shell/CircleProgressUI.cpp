#include "shell/CircleProgressUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QPainter>
#include <QProgressBar>

#include <algorithm>

namespace velnor7 {

namespace {

// The bar paints nothing of its own: the control draws the whole circle.
class CircleProgressWidget : public ui::ControlWidget<QProgressBar> {
protected:
    void paintEvent(QPaintEvent*) override {
        if (owner == nullptr) return;
        QPainter painter(this);
        owner->PaintOverlay(painter);
    }
};

}  // namespace

CCircleProgressUI::CCircleProgressUI() : CProgressUI(new CircleProgressWidget) {
    // A bar repaints only for changes it thinks big enough for its own chunks; the circle
    // shows every step.
    QObject::connect(Bar(), &QProgressBar::valueChanged, Bar(), [this] { Invalidate(); });
}

QString CCircleProgressUI::GetClass() const { return "CircleProgress"; }

void CCircleProgressUI::SetForeColor(const QColor& colour) {
    foreColour_ = colour;
    Invalidate();
}

double CCircleProgressUI::DoneFraction() const {
    const qint64 range = qint64(GetMaxValue()) - GetMinValue();
    if (range <= 0) return 0.0;
    return std::clamp(double(qint64(GetValue()) - GetMinValue()) / double(range), 0.0, 1.0);
}

void CCircleProgressUI::PaintOverlay(QPainter& painter) {
    const QRectF disc = GetWidget()->rect();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (GetBkColor().isValid()) {
        painter.setBrush(GetBkColor());
        painter.drawEllipse(disc);
    }
    // Qt counts angles in sixteenths of a degree, counter-clockwise from three o'clock: the
    // ring starts at twelve and runs clockwise.
    const int sweep = qRound(DoneFraction() * 360.0 * 16.0);
    if (sweep > 0) {
        painter.setBrush(foreColour_);
        painter.drawPie(disc, 90 * 16, -sweep);
    }
    const qreal inset = Scaled(kRingWidth);
    const QRectF centre = disc.adjusted(inset, inset, -inset, -inset);
    if (centre.isEmpty()) return;
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre);
}

bool CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "forecolor") {
        return ui::ApplyParsed(value, ui::ParseColour, [&](QColor colour) { SetForeColor(colour); });
    }
    return CProgressUI::SetAttribute(name, value);
}

}  // namespace velnor7
