#include "shell/UserSettings.h"

#include "common/NoticeOnce.h"
#include "platform/files/FileRead.h"

#include <QFile>
#include <QStandardPaths>

namespace velnor7 {

std::unique_ptr<QSettings> OpenIniFile(const QString& file, std::string& problem) {
    const FileReadResult found = InspectFile(QFile::encodeName(file).toStdString());
    if (found.status == FileReadStatus::NotRegular) {
        problem = file.toStdString() + " " + found.reason;
        return nullptr;
    }
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

std::unique_ptr<QSettings> OpenUserSettings() {
    const QString file =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/VELNOR7/VELNOR7.conf";
    std::string problem;
    std::unique_ptr<QSettings> settings = OpenIniFile(file, problem);
    if (!settings) {
        UserNoticeOnce("The settings file " + problem +
                       "; it was left as it is, so the first language of the list is used and nothing "
                       "chosen in the window is remembered.");
    }
    return settings;
}

}  // namespace velnor7
