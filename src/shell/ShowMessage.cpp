#include "shell/ShowMessage.h"

#include "ui/WindowImplBase.h"

#include "ui/ResourceManager.h"

namespace velnor7 {

namespace {

MessageAnswerer& Answerer() {
    static MessageAnswerer answerer;
    return answerer;
}

}  // namespace

int ShowMessage(ui::CWindowWnd* parent, const QString& title, const QString& text, int dpi, bool htmlText,
                int buttons) {
    if (const MessageAnswerer& answer = Answerer()) {
        const ui::CResourceManager& resources = ui::CResourceManager::Instance();
        return answer(resources.TextOrSelf(title), resources.TextOrSelf(text), buttons);
    }
    CMsgWnd window;
    if (!window.Create(parent, "msgwnd", ui::CWindowWnd::kFrameless | ui::CWindowWnd::kToolWindow)) {
        return CMsgWnd::kCancelled;
    }
    window.SetTitle(title);
    window.SetText(text, htmlText);
    window.SetMessageDpi(dpi);
    window.SetButtons(buttons);
    window.CenterWindow();
    return window.ShowModal();
}

QString MessageText(const QString& textId, std::optional<int> number, const QString& name) {
    QString text = ui::CResourceManager::Instance().TextOrSelf(textId);
    if (number) text.replace("%d", QString::number(*number));
    text.replace("%s", name);
    return text;
}

void SetMessageAnswerer(MessageAnswerer answerer) { Answerer() = std::move(answerer); }

bool AskUser(ui::WindowImplBase& parent, const QString& text) {
    return ShowMessage(&parent, {}, text, parent.GetDPI(), false, CMsgWnd::kConfirmAndCancel) == CMsgWnd::kConfirmed;
}

void TellUser(ui::WindowImplBase& parent, const QString& text) {
    ShowMessage(&parent, {}, text, parent.GetDPI(), false, CMsgWnd::kConfirmOnly);
}

bool TellMacroWriteResult(ui::WindowImplBase& parent, int written) {
    if (written < 0) {
        TellUser(parent, "message_text_7");
    } else if (written > 0) {
        TellUser(parent, MessageText("message_text_16", written));
    }
    return written == 0;
}

}  // namespace velnor7
