#pragma once
// An X server of the test's own: Xvfb on a display number it picks itself (-displayfd), so
// tests running side by side never meet. Stopped with the object. Started with a plain fork and
// exec, which the thread sanitizer follows (see OtherProgramsLock.h).

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryFile>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velnor7::testing {

class PrivateXServer {
public:
    PrivateXServer() {
        if (!Installed() || !log_.open()) return;
        int numberPipe[2];
        if (::pipe(numberPipe) != 0) return;
        const std::string numberFd = std::to_string(numberPipe[1]);
        const std::string logPath = log_.fileName().toStdString();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(numberPipe[0]);
            const int log = ::open(logPath.c_str(), O_WRONLY | O_TRUNC);
            if (log >= 0) ::dup2(log, STDERR_FILENO);
            // -noreset: a server whose last client leaves would start afresh and forget its settings.
            ::execlp("Xvfb", "Xvfb", "-displayfd", numberFd.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0",
                     "640x480x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(numberPipe[1]);
        // Xvfb writes the display number once it takes connections; a loaded machine may be slow.
        std::string number;
        pollfd readable{numberPipe[0], POLLIN, 0};
        while (pid_ > 0 && ::poll(&readable, 1, 30000) > 0) {
            char c = 0;
            if (::read(numberPipe[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(numberPipe[0]);
        if (!number.empty()) display_ = ":" + QString::fromStdString(number);
    }
    ~PrivateXServer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int waited = 0; waited < 1000; ++waited) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    static bool Installed() { return !QStandardPaths::findExecutable("Xvfb").isEmpty(); }
    // ":N", empty when the server did not come up.
    const QString& Display() const { return display_; }
    QString Log() const {
        QFile file(log_.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    QTemporaryFile log_;
    pid_t pid_ = -1;
    QString display_;
};

}  // namespace velnor7::testing
