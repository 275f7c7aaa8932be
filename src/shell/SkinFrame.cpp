#include "shell/SkinFrame.h"

#include "shell/SkinSettings.h"
#include "ui/ContainerUI.h"
#include "ui/WindowMessages.h"

#include <QWidget>

namespace velnor7 {

CSkinFrame* CSkinFrame::Open(ui::CWindowWnd& owner, const QRect& buttonOnScreen, unsigned chooseImageMessage) {
    auto* frame = new CSkinFrame(owner.GetHWND(), chooseImageMessage);
    if (!frame->Create(&owner, "skinframe",
                       ui::CWindowWnd::kFrameless | ui::CWindowWnd::kToolWindow | ui::CWindowWnd::kTopmost)) {
        delete frame;
        return nullptr;
    }
    if (QWidget* window = frame->GetWidget()) {
        window->setWindowIcon(owner.GetWidget() != nullptr ? owner.GetWidget()->windowIcon() : QIcon());
        window->move(buttonOnScreen.right() + 1 - window->width(), buttonOnScreen.bottom() + 1);
    }
    // It takes the focus, so that a click anywhere else takes it away and closes it.
    frame->ShowWindow(true, true);
    return frame;
}

void CSkinFrame::ShowPage(int page) {
    if (auto* tabs = FindControlAs<ui::CTabLayoutUI>("skin_tab")) tabs->SelectItem(page);
}

void CSkinFrame::OnNotify(ui::TNotifyUI& msg) {
    if (msg.sType != "click" || msg.pSender == nullptr) return;
    const QString& name = msg.pSender->GetName();
    if (name == "skin_image_btn") {
        ChooseBackground(SkinChangedParam{false, 0, msg.pSender->GetUserData()});
    } else if (name == "skin_color_btn") {
        ChooseBackground(SkinChangedParam{true, msg.pSender->GetBkColor().rgba(), {}});
    } else if (name == "skin_color") {
        ShowPage(1);
    } else if (name == "skin_image") {
        ShowPage(0);
    } else if (name == "skin_reset") {
        ChooseBackground(SkinChangedParam{false, 0, kDefaultBackground}, true);
    } else if (name == "skin_Custom") {
        ui::PostWindowMessage(owner_, ui::WindowMessage{chooseImageMessage_, 0, 0, {}});
        Close(0);
    }
}

long CSkinFrame::MessageHandler(const ui::WindowMessage& message, bool& handled) {
    handled = false;
    if (message.id == ui::wm::kActivate && message.wParam == ui::wm::kInactive) Close(0);
    return 0;
}

}  // namespace velnor7
