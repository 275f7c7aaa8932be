#include "shell/Languages.h"

#include "shell/UserSettings.h"

#include "common/JsonFile.h"
#include "common/NoticeOnce.h"
#include "common/Paths.h"
#include "common/Trace.h"
#include "platform/files/FileRead.h"
#include "ui/ComboUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <initializer_list>
#include <memory>

namespace velnor7 {

namespace {

Json::Value Entries() {
    const Json::Value list = LoadJsonFile(CLanguages::ListFile().toStdString());
    return list.isObject() && list["Language"].isArray() ? list["Language"] : Json::Value(Json::arrayValue);
}

}  // namespace

QString CLanguages::ListFile() { return QString::fromStdString(DefaultDataDirectory() + "Language.config"); }

int CLanguages::LoadLanguageChoice() {
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    if (!settings) return 0;
    const QVariant stored = settings->value("LANGUAGE");
    if (!stored.isValid()) return 0;
    bool ok = false;
    const int id = stored.toString().toInt(&ok);
    if (!ok) return 0;
    const Json::Value entries = Entries();
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
        if (entries[i]["Language_ID"].isInt() && entries[i]["Language_ID"].asInt() == id) return static_cast<int>(i);
    }
    return 0;
}

QString CLanguages::FontFamilyFor(const QString& languageName) {
    static const QStringList kCjk = {"zh", "ja", "ko"};
    const QString base = languageName.section('-', 0, 0).section('_', 0, 0).toLower();
    return kCjk.contains(base) ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans");
}

bool CLanguages::ApplyLanguage(int index, int previous, ui::CPaintManagerUI* fonts) {
    const Json::Value entries = Entries();
    if (index < 0 || static_cast<Json::ArrayIndex>(index) >= entries.size()) return false;
    const Json::Value& entry = entries[static_cast<Json::ArrayIndex>(index)];
    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    // The languages whose glyphs the skin's face may lack, and the first choice, rebuild the fonts.
    const auto among = [](int value, std::initializer_list<int> values) {
        return std::find(values.begin(), values.end(), value) != values.end();
    };
    if (index != previous && (among(index, {0, 1, 2, 15}) || among(previous, {15, -1, 2, 0}))) {
        const QString family = FontFamilyFor(QString::fromStdString(entry["Language_name"].asString()));
        resources.SetFontFamily(family);
        if (fonts != nullptr) fonts->SetFontFamily(family);
    }
    const QString file = QString::fromStdString(entry["Language_file"].asString());
    if (!resources.LoadLanguage(file)) return false;
    resources.SetLanguage(QString::fromStdString(entry["Language_name"].asString()));
    resources.ReloadText();
    if (const std::unique_ptr<QSettings> settings = OpenUserSettings()) {
        settings->setValue("LANGUAGE", QString::number(entry["Language_ID"].asInt()));
        Trace("写成功！");
    }
    return true;
}

void CLanguages::FillLanguageCombo(ui::CComboUI* combo, int index) {
    if (combo == nullptr) return;
    combo->RemoveAll();
    const Json::Value entries = Entries();
    for (const Json::Value& entry : entries) {
        combo->AddTextItem(QString::fromStdString(entry["Language_text"].asString()),
                           QString::number(entry["Language_ID"].asInt()));
    }
    combo->SelectItem(index, false);
}

}  // namespace velnor7
