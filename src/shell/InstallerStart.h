#pragma once
// Starts an installer the settings window downloaded. A program (an executable file or a
// script) the window itself downloaded into its private folder runs as a program of its own,
// without a shell and without arguments, and its end is told; any other file goes to the
// desktop's opener. A running installer is never stopped: at the program's end it is waited for.

#include <QString>

#include <functional>

namespace velnor7 {

enum class InstallerStart {
    Running,     // started; `ended` follows with the outcome
    HandedOver,  // the desktop's opener has it; its outcome is not known here
    Failed,      // nothing was started
};

struct InstallerLaunch {
    InstallerStart how = InstallerStart::Failed;
    QString reason;  // when it failed
};

// `ended(true)` when the program ended with status 0.
InstallerLaunch StartInstaller(const QString& file, const QString& privateFolder, std::function<void(bool ok)> ended);
// Installers started and not ended yet.
int RunningInstallers();

}  // namespace velnor7
