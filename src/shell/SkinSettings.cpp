#include "shell/SkinSettings.h"

#include "common/Paths.h"
#include "common/Trace.h"
#include "shell/UserSettings.h"
#include "ui/ResourceManager.h"

#include <QDir>
#include <QImageReader>
#include <QSettings>

#include <memory>

namespace velnor7 {

namespace {

constexpr int kFlagDefault = 0;
constexpr int kFlagImage = 1;
constexpr int kFlagColour = 2;

std::unique_ptr<QSettings> OpenSkinSettings() {
    std::string problem;
    std::unique_ptr<QSettings> settings = OpenIniFile(SkinSettingsFile(), problem);
    if (!settings) Trace("skin: %s; the background is not remembered", problem.c_str());
    return settings;
}

}  // namespace

QString SkinSettingsFile() { return QString::fromStdString(UserDataDirectory("")) + "main.ini"; }

bool IsUsableBackground(const QString& image) {
    if (image.isEmpty()) return false;
    QImageReader reader(ui::CResourceManager::Instance().SkinFile(image));
    return reader.canRead() && reader.size().isValid() && !reader.size().isEmpty();
}

std::optional<SkinChangedParam> LoadSkinChoice() {
    const std::unique_ptr<QSettings> settings = OpenSkinSettings();
    if (!settings) return std::nullopt;
    settings->beginGroup("SKINIMAGE");
    bool ok = false;
    const int flags = settings->value("FLAGS").toString().toInt(&ok);
    if (!ok) return std::nullopt;
    SkinChangedParam param;
    if (flags == kFlagColour) {
        const QColor colour(settings->value("COLOR").toString());
        if (!colour.isValid()) return std::nullopt;
        param.colour = true;
        param.colourValue = colour.rgba();
        return param;
    }
    param.image = flags == kFlagImage ? settings->value("IMAGE").toString() : QString(kDefaultBackground);
    return param;
}

bool SaveSkinChoice(const SkinChangedParam& param, bool isDefault) {
    QDir().mkpath(QString::fromStdString(UserDataDirectory("")));
    const std::unique_ptr<QSettings> settings = OpenSkinSettings();
    if (!settings) return false;
    settings->beginGroup("SKINIMAGE");
    if (param.colour) {
        settings->setValue("FLAGS", QString::number(kFlagColour));
        settings->setValue("COLOR", QColor::fromRgba(param.colourValue).name(QColor::HexArgb));
    } else {
        settings->setValue("FLAGS", QString::number(isDefault ? kFlagDefault : kFlagImage));
        settings->setValue("IMAGE", param.image);
    }
    settings->endGroup();
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void ChooseBackground(const SkinChangedParam& param, bool isDefault) {
    CSkinObserver::Instance().Broadcast(param);
    if (!SaveSkinChoice(param, isDefault)) {
        Trace("skin: the background could not be remembered in %s", qUtf8Printable(SkinSettingsFile()));
    }
}

}  // namespace velnor7
