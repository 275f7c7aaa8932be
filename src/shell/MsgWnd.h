#pragma once
// The program's modal message window: a title, a text (plain or rich), and a confirm button,
// with a cancel button for a question. Its close button answers as cancel does.

#include "ui/WindowImplBase.h"

namespace velnor7 {

class CMsgWnd : public ui::WindowImplBase {
public:
    static constexpr int kDefaultDpi = 96;
    // What the window closed with.
    static constexpr int kConfirmed = 1;
    static constexpr int kCancelled = 0;
    // Which buttons show; any other value keeps the layout's.
    static constexpr int kConfirmOnly = 0;
    static constexpr int kConfirmAndCancel = 1;

    QString GetSkinFile() const override { return "XML/MsgWnd.xml"; }
    QString GetWindowClassName() const override { return "MsgWnd"; }

    // Either may be a language id; an empty one keeps the layout's.
    void SetTitle(const QString& title);
    void SetText(const QString& text, bool html);
    void SetButtons(int buttons);
    // 48 to 192 in steps of 24 are taken; any other value is refused with a trace line and
    // 96 is used instead.
    void SetMessageDpi(int dpi);
    int GetMessageDpi() const { return dpi_; }

protected:
    void OnNotify(ui::TNotifyUI& msg) override;
    long MessageHandler(const ui::WindowMessage& message, bool& handled) override;

private:
    int dpi_ = kDefaultDpi;
};

}  // namespace velnor7
