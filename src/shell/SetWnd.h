#pragma once
// The settings window, opened from the main window's settings button: one at a time, modal.

#include "ui/WindowImplBase.h"

namespace velnor7 {

class CSetWnd : public ui::WindowImplBase {
public:
    QString GetSkinFile() const override { return "XML/SetWnd.xml"; }
    QString GetWindowClassName() const override { return "SetWnd"; }

protected:
    void InitWindow() override;
    void OnNotify(ui::TNotifyUI& msg) override;
};

}  // namespace velnor7
