#pragma once
// The background pop-up under the main window's skin button: pictures, colours, the default
// and a picture of the user's own. A choice is told to every window at once and remembered.
// It closes when it loses the focus.

#include "ui/WindowImplBase.h"

namespace velnor7 {

class CSkinFrame : public ui::WindowImplBase {
public:
    // `owner` receives `chooseImageMessage` when the user asks for a picture of their own:
    // the file dialog belongs to the owner, as the pop-up closes when it opens.
    CSkinFrame(ui::WindowHandle owner, unsigned chooseImageMessage)
        : owner_(owner), chooseImageMessage_(chooseImageMessage) {}

    QString GetSkinFile() const override { return "XML/skin.xml"; }
    QString GetWindowClassName() const override { return "UISkinFrame"; }

    // Opens a frame below `button` (its right edge at the button's); it deletes itself.
    static CSkinFrame* Open(ui::CWindowWnd& owner, const QRect& buttonOnScreen, unsigned chooseImageMessage);

protected:
    void OnNotify(ui::TNotifyUI& msg) override;
    long MessageHandler(const ui::WindowMessage& message, bool& handled) override;
    void OnFinalMessage() override { delete this; }

private:
    void ShowPage(int page);

    ui::WindowHandle owner_;
    unsigned chooseImageMessage_;
};

}  // namespace velnor7
