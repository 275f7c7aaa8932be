#pragma once
// A D-Bus session bus of the test's own: a dbus-daemon started for the test program and
// stopped with it. Must exist before the first use of the session bus in the process.

#include <QProcess>
#include <QString>

#include <memory>

namespace velnor7::testing {

class PrivateSessionBus {
public:
    PrivateSessionBus() {
        daemon_ = std::make_unique<QProcess>();
        daemon_->start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_->waitForStarted(5000) || !daemon_->waitForReadyRead(5000)) return;
        address_ = QString::fromUtf8(daemon_->readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
    ~PrivateSessionBus() {
        daemon_->kill();
        daemon_->waitForFinished(2000);
    }
    bool Running() const { return !address_.isEmpty(); }

private:
    std::unique_ptr<QProcess> daemon_;
    QString address_;
};

}  // namespace velnor7::testing
