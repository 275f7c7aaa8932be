#include "ui/TrayIcon.h"

#include "common/Trace.h"

#include <QSystemTrayIcon>

namespace velnor7::ui {

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::IsAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool CTrayIcon::Create(WindowHandle owner, unsigned callbackMessage, const QIcon& icon, const QString& toolTip) {
    owner_ = owner;
    message_ = callbackMessage;
    if (!IsAvailable()) {
        Trace("ui: the desktop has no notification area; no tray icon");
        return false;
    }
    icon_ = std::make_unique<QSystemTrayIcon>(icon);
    icon_->setToolTip(toolTip);
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) Click(false);
                         else if (reason == QSystemTrayIcon::Context) Click(true);
                     });
    icon_->show();
    return true;
}

void CTrayIcon::Click(bool rightButton) {
    PostWindowMessage(owner_, WindowMessage{message_, 0, rightButton ? wm::kTrayRightButtonUp : wm::kTrayLeftButtonUp, {}});
}

void CTrayIcon::Remove() { icon_.reset(); }

void CTrayIcon::ShowMessage(const QString& title, const QString& text) {
    if (IsShown()) icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

bool CTrayIcon::IsShown() const { return icon_ != nullptr && icon_->isVisible(); }

}  // namespace velnor7::ui
