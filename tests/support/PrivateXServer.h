#pragma once
// An X server of the test's own: Xvfb on a display number it picks itself (-displayfd), so
// tests running side by side never meet. Stopped with the object.

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <memory>

namespace velnor7::testing {

class PrivateXServer {
public:
    PrivateXServer() {
        if (!Installed()) return;
        server_ = std::make_unique<QProcess>();
        // -noreset: a server whose last client leaves would start afresh and forget its settings.
        server_->start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
        // Xvfb prints the display number once it takes connections; a loaded machine may be slow.
        if (!server_->waitForStarted(20000)) return;
        const QDeadlineTimer deadline(30000);
        while (server_->state() == QProcess::Running && !server_->canReadLine() && !deadline.hasExpired()) {
            server_->waitForReadyRead(1000);
        }
        bool number = false;
        const int display = QString::fromUtf8(server_->readLine()).trimmed().toInt(&number);
        if (number) display_ = ":" + QString::number(display);
    }
    ~PrivateXServer() {
        if (!server_) return;
        server_->terminate();
        if (!server_->waitForFinished(10000)) {
            server_->kill();
            server_->waitForFinished(10000);
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    static bool Installed() { return !QStandardPaths::findExecutable("Xvfb").isEmpty(); }
    // ":N", empty when the server did not come up.
    const QString& Display() const { return display_; }
    QString Log() const { return server_ ? QString::fromUtf8(server_->readAllStandardError()) : QString(); }

private:
    std::unique_ptr<QProcess> server_;
    QString display_;
};

}  // namespace velnor7::testing
