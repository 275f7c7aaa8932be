#include "platform/DesktopBus.h"

#include "common/Trace.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace velnor7 {

bool CDesktopBus::Connect() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) {
        Trace("desktop bus: no session bus (%s); lights are not shared with other programs",
              qUtf8Printable(session.lastError().message()));
        return false;
    }
    connected_ = session.connect(QString(), kPath, kInterface, "LightControl", this, SLOT(OnLightControl(int, int)));
    if (!session.connect(QString(), kUpdatePath, kUpdateInterface, "InstallerStatus", this,
                         SLOT(OnInstallerStatus(int, int)))) {
        Trace("desktop bus: installers cannot report to the settings window");
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected() ||
        !system.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                        "PrepareForSleep", this, SLOT(OnPrepareForSleep(bool)))) {
        Trace("desktop bus: no system bus; suspend and resume are not followed");
    }
    return connected_;
}

bool CDesktopBus::BroadcastClaim(int wParam, int lParam) {
    if (!connected_) return false;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "Claim");
    signal << wParam << lParam;
    return QDBusConnection::sessionBus().send(signal);
}

namespace {

bool SendSignal(const char* path, const char* interface, const char* name, int wParam, int lParam) {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
    signal << wParam << lParam;
    return session.send(signal);
}

}  // namespace

bool CDesktopBus::SendLightControl(int wParam, int lParam) {
    return SendSignal(kPath, kInterface, "LightControl", wParam, lParam);
}

bool CDesktopBus::SendInstallerStatus(int wParam, int lParam) {
    return SendSignal(kUpdatePath, kUpdateInterface, "InstallerStatus", wParam, lParam);
}

void CDesktopBus::OnInstallerStatus(int wParam, int lParam) {
    if (onInstallerStatus_) onInstallerStatus_(wParam, lParam);
}

void CDesktopBus::OnLightControl(int wParam, int lParam) {
    if (onLightControl_) onLightControl_(wParam, lParam);
}

void CDesktopBus::OnPrepareForSleep(bool suspending) {
    if (onSleep_) onSleep_(suspending);
}

}  // namespace velnor7
