#include "shell/CloudShareListItemUI.h"

#include "ui/Attributes.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace velnor7 {

CCloudShareListItemUI::CCloudShareListItemUI() { SetPaintsOverlay(true); }

QString CCloudShareListItemUI::GetClass() const { return "CloudShareListItemUI"; }

bool CCloudShareListItemUI::ShowsHoverFrame() const { return hovered_ && !IsSelected() && !hotImage_.isEmpty(); }

bool CCloudShareListItemUI::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        hovered_ = event->type() == QEvent::Enter;
        Invalidate();
        break;
    case QEvent::ContextMenu: {
        // Told here and ended here: a handler may delete the row.
        const QPoint global = static_cast<QContextMenuEvent*>(event)->globalPos();
        SendMenuNotify(global);
        return true;
    }
    default:
        break;
    }
    return CListContainerElementUI::OnWidgetEvent(event);
}

void CCloudShareListItemUI::PaintOverlay(QPainter& painter) {
    if (!ShowsHoverFrame()) return;
    const int width = Scaled(kFrameWidth);
    painter.setPen(QPen(hotBorderColour_, width));
    painter.setBrush(Qt::NoBrush);
    const qreal half = width / 2.0;
    painter.drawRect(QRectF(GetWidget()->rect()).adjusted(half, half, -half, -half));
}

bool CCloudShareListItemUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "hotimage") {
        hotImage_ = ui::ParseImagePath(value);
        Invalidate();
        return true;
    }
    if (name == "hotbordercolor") {
        return ui::ApplyParsed(value, ui::ParseColour, [&](QColor colour) {
            hotBorderColour_ = colour;
            Invalidate();
        });
    }
    return CListContainerElementUI::SetAttribute(name, value);
}

}  // namespace velnor7
