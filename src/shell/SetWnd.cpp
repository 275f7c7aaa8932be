#include "shell/SetWnd.h"

#include "ui/ControlUI.h"

namespace velnor7 {

void CSetWnd::InitWindow() {
    if (ui::CControlUI* version = FindControl("app_version")) version->SetText(VELNOR7_VERSION);
}

void CSetWnd::OnNotify(ui::TNotifyUI& msg) {
    if (msg.sType == "click" && msg.pSender->GetName() == "closebtn") Close(0);
}

}  // namespace velnor7
