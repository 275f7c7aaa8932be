#include "shell/HandImgSelectButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ResourceManager.h"

#include <QMouseEvent>
#include <QPainter>

namespace velnor7 {

CHandImgSelectButtonUI::CHandImgSelectButtonUI() { SetPaintsOverlay(true); }

QString CHandImgSelectButtonUI::GetClass() const { return "HandImgSelectButton"; }

bool CHandImgSelectButtonUI::OnWidgetEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        lastPressPoint_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    return COptionUI::OnWidgetEvent(event);
}

void CHandImgSelectButtonUI::PaintOverlay(QPainter& painter) {
    if (handImage_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(GetWidget()->rect(), handImage_);
}

bool CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "handimage") {
        handImage_ = ui::CResourceManager::Instance().GetImage(ui::ParseImagePath(value));
        Invalidate();
        return true;
    }
    return COptionUI::SetAttribute(name, value);
}

}  // namespace velnor7
