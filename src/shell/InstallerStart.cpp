#include "shell/InstallerStart.h"

#include "common/Trace.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <vector>

namespace velnor7 {

namespace {

std::vector<QProcess*>& Running() {
    static std::vector<QProcess*> running;
    return running;
}

// An installer must not be cut off half way: the program's end waits for them.
void WaitForInstallersAtQuit() {
    static bool connected = false;
    if (connected || QCoreApplication::instance() == nullptr) return;
    connected = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] {
        for (QProcess* process : std::vector<QProcess*>(Running())) {
            Trace("update: waiting for the installer %s to end", qUtf8Printable(process->program()));
            process->waitForFinished(-1);
        }
    });
}

// A program: an ELF file or a script with its interpreter line.
bool IsProgram(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray start = in.read(4);
    return start.startsWith("\x7F" "ELF") || start.startsWith("#!");
}

// A regular file (no link) directly inside `folder`.
bool InsideFolder(const QString& file, const QString& folder) {
    const QFileInfo info(file);
    if (info.isSymLink() || !info.isFile()) return false;
    return QDir(info.absolutePath()).canonicalPath() == QDir(folder).canonicalPath();
}

}  // namespace

int RunningInstallers() { return static_cast<int>(Running().size()); }

InstallerLaunch StartInstaller(const QString& file, const QString& privateFolder, std::function<void(bool ok)> ended) {
    if (!QFileInfo(file).isFile()) return {InstallerStart::Failed, QStringLiteral("%1 is not there").arg(file)};
    if (!InsideFolder(file, privateFolder) || !IsProgram(file)) {
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return {InstallerStart::HandedOver, {}};
        return {InstallerStart::Failed, QStringLiteral("no program on this desktop opens %1").arg(file)};
    }
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    WaitForInstallersAtQuit();
    auto* process = new QProcess;
    process->setProgram(file);
    process->setWorkingDirectory(privateFolder);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    Running().push_back(process);
    auto finish = [process, ended = std::move(ended)](bool ok) {
        std::erase(Running(), process);
        process->deleteLater();
        if (ended) ended(ok);
    };
    QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError error) {
        // A crash is told by finished as well; a program that never ran is told only here.
        if (error == QProcess::FailedToStart) {
            Trace("update: %s could not be started: %s", qUtf8Printable(process->program()),
                  qUtf8Printable(process->errorString()));
            finish(false);
        }
    });
    process->start();
    return {InstallerStart::Running, {}};
}

}  // namespace velnor7
