#include "shell/HandImgButtonUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "ui/ResourceManager.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include <functional>

namespace velnor7 {

namespace {

// A push button that leaves a part of itself to the control: a press or release there is no
// press or click of the button.
class HandImgButtonWidget : public ui::ControlWidget<QPushButton> {
public:
    std::function<bool(const QPoint&)> notTheButton;

protected:
    bool hitButton(const QPoint& pos) const override {
        return QPushButton::hitButton(pos) && !(notTheButton && notTheButton(pos));
    }
};

}  // namespace

CHandImgButtonUI::CHandImgButtonUI() : CButtonUI(new HandImgButtonWidget) {
    static_cast<HandImgButtonWidget*>(GetWidget())->notTheButton = [this](const QPoint& pos) {
        return DeleteBox().contains(pos);
    };
    // Moves without a button pressed light the mark up.
    GetWidget()->setMouseTracking(true);
    SetPaintsOverlay(true);
}

QString CHandImgButtonUI::GetClass() const { return "HandImgButton"; }

QRect CHandImgButtonUI::DeleteBox() const {
    const QSize size = GetWidget()->size();
    const int side = Scaled(kDeleteBoxSide);
    return QRect(size.width() - Scaled(kDeleteBoxLeftFromRight), size.height() - Scaled(kDeleteBoxTopFromBottom), side,
                 side);
}

void CHandImgButtonUI::SetHover(bool hovered, bool overDeleteMark) {
    if (hovered == hovered_ && overDeleteMark == overDeleteMark_) return;
    hovered_ = hovered;
    overDeleteMark_ = overDeleteMark;
    Invalidate();
}

bool CHandImgButtonUI::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
        SetHover(true, DeleteBox().contains(static_cast<QEnterEvent*>(event)->position().toPoint()));
        break;
    case QEvent::Leave:
        SetHover(false, false);
        break;
    case QEvent::MouseMove:
        SetHover(true, DeleteBox().contains(static_cast<QMouseEvent*>(event)->position().toPoint()));
        break;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A press on the mark belongs to the mark: the button does not go down.
        if (mouse->button() == Qt::LeftButton && DeleteBox().contains(mouse->position().toPoint())) return true;
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && DeleteBox().contains(mouse->position().toPoint())) {
            const QPointer<QWidget> alive = GetWidget();
            SendNotify("click_handdelete");
            // Deleting the button is the usual answer; then nothing of it may run on.
            if (!alive) return true;
        }
        break;
    }
    default:
        break;
    }
    return CButtonUI::OnWidgetEvent(event);
}

void CHandImgButtonUI::PaintOverlay(QPainter& painter) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!handImage_.isNull()) painter.drawPixmap(GetWidget()->rect(), handImage_);
    if (!hovered_) return;
    const QPixmap& mark = overDeleteMark_ && !deleteHotImage_.isNull() ? deleteHotImage_ : deleteNormalImage_;
    if (!mark.isNull()) painter.drawPixmap(DeleteBox(), mark);
}

bool CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
    auto image = [&](QPixmap& target) {
        target = ui::CResourceManager::Instance().GetImage(ui::ParseImagePath(value));
        Invalidate();
        return true;
    };
    if (name == "handimage") return image(handImage_);
    if (name == "deletenormalimage") return image(deleteNormalImage_);
    if (name == "deletehotimage") return image(deleteHotImage_);
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace velnor7
