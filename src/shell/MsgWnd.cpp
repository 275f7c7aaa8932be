#include "shell/MsgWnd.h"

#include "common/Trace.h"
#include "ui/ControlUI.h"

#include <QWidget>

namespace velnor7 {

void CMsgWnd::SetTitle(const QString& title) {
    if (title.isEmpty()) return;
    if (ui::CControlUI* label = FindControl("MessageTitle")) label->SetText(title);
}

void CMsgWnd::SetText(const QString& text, bool html) {
    if (text.isEmpty()) return;
    ui::CControlUI* label = FindControl("MessageText");
    if (label == nullptr) return;
    label->SetAttribute("showhtml", html ? "true" : "false");
    label->SetText(text);
}

void CMsgWnd::SetButtons(int buttons) {
    if (buttons != kConfirmOnly && buttons != kConfirmAndCancel) return;
    if (ui::CControlUI* confirm = FindControl("confirm_btn")) confirm->SetVisible(true);
    if (ui::CControlUI* cancel = FindControl("cancel_btn")) cancel->SetVisible(buttons == kConfirmAndCancel);
}

void CMsgWnd::SetMessageDpi(int dpi) {
    if (!IsDpiStep(dpi)) {
        Trace("MSG_WND DPI SET ERROR");
        dpi = kDefaultDpi;
    }
    if (dpi == dpi_) return;
    dpi_ = dpi;
    SetDPI(dpi);
}

void CMsgWnd::OnNotify(ui::TNotifyUI& msg) {
    if (msg.sType != "click" || msg.pSender == nullptr) return;
    const QString& name = msg.pSender->GetName();
    QWidget* window = GetWidget();
    if (name == "confirm_btn") {
        Close(kConfirmed);
    } else if (name == "cancel_btn" || name == "closebtn") {
        Close(kCancelled);
    } else if (name == "minbtn" && window != nullptr) {
        window->showMinimized();
    } else if (name == "maxbtn" && window != nullptr) {
        window->showMaximized();
    } else if (name == "restorebtn" && window != nullptr) {
        window->showNormal();
    }
}

long CMsgWnd::MessageHandler(const ui::WindowMessage& message, bool& handled) {
    handled = false;
    if (message.id == ui::wm::kDpiChanged) {
        // The new DPI is in the low word; the window takes the layout's size at it.
        SetMessageDpi(static_cast<int>(message.wParam & 0xFFFF));
        handled = true;
    }
    return 0;
}

}  // namespace velnor7
