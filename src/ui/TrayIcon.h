#pragma once
// The notification-area icon. Left and right clicks arrive at the owner window as its
// callback message with lParam kTrayLeftButtonUp / kTrayRightButtonUp. Where the desktop has
// no notification area, Create says so and the program goes on without the icon.

#include "ui/WindowMessages.h"

#include <QIcon>
#include <QString>

#include <memory>

class QSystemTrayIcon;

namespace velnor7::ui {

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();

    bool Create(WindowHandle owner, unsigned callbackMessage, const QIcon& icon, const QString& toolTip);
    void Remove();
    bool IsShown() const;
    // A balloon by the icon, as the desktop shows them; nothing without the icon.
    void ShowMessage(const QString& title, const QString& text);
    static bool IsAvailable();
    // What a click on the icon does (used by the desktop, and by tests).
    void Click(bool rightButton);

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    WindowHandle owner_ = 0;
    unsigned message_ = 0;
};

}  // namespace velnor7::ui
