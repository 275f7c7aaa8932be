#include "ui/ResourceManager.h"

#include "common/Trace.h"
#include "ui/PaintManagerUI.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QPainter>
#include <QXmlStreamReader>

namespace velnor7::ui {

CResourceManager& CResourceManager::Instance() {
    static CResourceManager instance;
    return instance;
}

void CResourceManager::SetSkinPath(const QString& folder) {
    skinPath_ = QDir::cleanPath(folder);
    if (!skinPath_.endsWith('/')) skinPath_ += '/';
    QDir::setSearchPaths("skin", {skinPath_});
    images_.clear();
    imageExists_.clear();
}

QString CResourceManager::SkinFile(const QString& relativePath) const {
    QString path = relativePath;
    path.replace('\\', '/');
    if (QFileInfo(path).isAbsolute() || skinPath_.isEmpty()) return path;
    return skinPath_ + path;
}

bool CResourceManager::LoadTheme(const QString& file) {
    const QString path = SkinFile(file);
    if (path == theme_) return true;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        Trace("ui: style sheet %s cannot be opened", qUtf8Printable(path));
        return false;
    }
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr) return false;
    application->setStyleSheet(QString::fromUtf8(input.readAll()));
    theme_ = path;
    return true;
}

bool CResourceManager::LoadLanguage(const QString& file) {
    const QString path = SkinFile(file);
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        Trace("ui: language file %s cannot be opened", qUtf8Printable(path));
        return false;
    }
    QXmlStreamReader xml(&input);
    QString name;
    QHash<QString, QString> texts;
    if (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("Language")) xml.raiseError("the root element is not Language");
        name = xml.attributes().value("name").toString();
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Text")) {
                texts.insert(xml.attributes().value("id").toString(),
                             xml.attributes().value("value").toString());
            }
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        Trace("ui: language file %s line %lld: %s", qUtf8Printable(path),
              static_cast<long long>(xml.lineNumber()), qUtf8Printable(xml.errorString()));
        return false;
    }
    if (name.isEmpty()) name = QFileInfo(path).completeBaseName();
    texts_[name] = std::move(texts);
    if (language_.isEmpty()) language_ = name;
    return true;
}

void CResourceManager::SetLanguage(const QString& name) { language_ = name; }

std::optional<QString> CResourceManager::GetText(const QString& id) const {
    const auto language = texts_.constFind(language_);
    if (language == texts_.cend()) return std::nullopt;
    const auto text = language->constFind(id);
    if (text == language->cend()) return std::nullopt;
    return *text;
}

QString CResourceManager::TextOrSelf(const QString& text) const {
    if (text.isEmpty()) return text;
    return GetText(text).value_or(text);
}

void CResourceManager::ReloadText() {
    for (CPaintManagerUI* manager : CPaintManagerUI::Instances()) manager->ReloadText();
}

bool CResourceManager::ImageExists(const QString& path) const {
    if (path.isEmpty()) return false;
    const auto known = imageExists_.constFind(path);
    if (known != imageExists_.cend()) return *known;
    const bool exists = QFileInfo::exists(SkinFile(path));
    imageExists_.insert(path, exists);
    return exists;
}

QPixmap CResourceManager::GetImage(const QString& path) {
    if (path.isEmpty()) return {};
    const auto cached = images_.constFind(path);
    if (cached != images_.cend()) return *cached;
    const QString file = SkinFile(path);
    QImageReader reader(file);
    QImage image = reader.read();
    if (image.isNull()) {
        Trace("ui: image %s: %s", qUtf8Printable(file), qUtf8Printable(reader.errorString()));
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    images_.insert(path, pixmap);
    return pixmap;
}

QPixmap CResourceManager::Tinted(const QPixmap& image, const QColor& colour, int alpha) {
    if (image.isNull()) return image;
    QPixmap result(image.size());
    result.setDevicePixelRatio(image.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    QColor fill = colour;
    fill.setAlpha(255);
    painter.fillRect(result.rect(), fill);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(result.rect(), QColor(0, 0, 0, qBound(0, alpha, 255)));
    return result;
}

QStringList CResourceManager::AddPrivateFont(const QString& file) {
    const int id = QFontDatabase::addApplicationFont(file);
    if (id < 0) {
        Trace("ui: font %s cannot be loaded", qUtf8Printable(file));
        return {};
    }
    fontIds_.append(id);
    return QFontDatabase::applicationFontFamilies(id);
}

void CResourceManager::RemovePrivateFonts() {
    for (int id : fontIds_) QFontDatabase::removeApplicationFont(id);
    fontIds_.clear();
}

void CResourceManager::Clear() {
    texts_.clear();
    language_.clear();
    images_.clear();
    imageExists_.clear();
    theme_.clear();
}

}  // namespace velnor7::ui
