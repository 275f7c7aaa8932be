#include "shell/ComboEditContainerElementUI.h"

#include "ui/DialogBuilder.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace velnor7 {

namespace {

// The theme's hover shade of list rows.
const QColor kHoverShade(255, 255, 255, 12);

}  // namespace

CComboEditContainerElementUI::CComboEditContainerElementUI() {
    // Click focus, so that Enter reaches the row.
    GetWidget()->setFocusPolicy(Qt::ClickFocus);
    SetPaintsOverlay(true);
}

QString CComboEditContainerElementUI::GetClass() const { return "ComboEditContainerElement"; }

void CComboEditContainerElementUI::DoInit() {
    // A row that moves (or moves to another window) keeps what it was built with.
    if (contentBuilt_) return;
    contentBuilt_ = true;
    ui::CDialogBuilder().Create(kContentLayout, nullptr, GetManager(), this);
    keyNameLabel_ = dynamic_cast<ui::CLabelUI*>(FindSubControl("text1"));
    directionLabel_ = dynamic_cast<ui::CLabelUI*>(FindSubControl("text2"));
    delayEdit_ = dynamic_cast<ui::CEditUI*>(FindSubControl("delay_edit"));
}

void CComboEditContainerElementUI::SelectByPress(bool toggle) {
    auto* list = dynamic_cast<ui::CControlUI*>(GetOwner());
    auto* view = list != nullptr ? qobject_cast<QAbstractItemView*>(list->GetWidget()) : nullptr;
    if (view == nullptr) return;
    if (!toggle || view->selectionMode() == QAbstractItemView::SingleSelection) {
        Select();
        return;
    }
    // As a Ctrl-click on the list itself: the row becomes the current one and flips its
    // selection; the list tells the change ("itemselect").
    view->selectionModel()->setCurrentIndex(view->model()->index(GetIndex(), 0), QItemSelectionModel::Toggle);
}

bool CComboEditContainerElementUI::OnWidgetEvent(QEvent* event) {
    // Events handled here end here: the list underneath would otherwise act on them a second
    // time, and a notification's handler may already have deleted the row.
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        hovered_ = event->type() == QEvent::Enter;
        Invalidate();
        break;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) break;
        GetWidget()->setFocus(Qt::MouseFocusReason);
        SelectByPress(mouse->modifiers().testFlag(Qt::ControlModifier));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !GetWidget()->rect().contains(mouse->position().toPoint())) break;
        SendNotify("itemclick");
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !GetWidget()->hasFocus()) break;
        SendNotify("return");
        return true;
    }
    case QEvent::ContextMenu: {
        const QPoint global = static_cast<QContextMenuEvent*>(event)->globalPos();
        SendMenuNotify(global);
        return true;
    }
    default:
        break;
    }
    return CListContainerElementUI::OnWidgetEvent(event);
}

void CComboEditContainerElementUI::PaintOverlay(QPainter& painter) {
    if (hovered_) painter.fillRect(GetWidget()->rect(), kHoverShade);
}

}  // namespace velnor7
