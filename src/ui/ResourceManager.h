#pragma once
// Process-wide resources of the UI: the skin folder, language texts, images and fonts.
// UI thread only.

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <optional>


namespace velnor7::ui {

class CResourceManager {
public:
    static CResourceManager& Instance();

    // Layout files, images and style sheets are looked up below this folder.
    void SetSkinPath(const QString& folder);
    const QString& GetSkinPath() const { return skinPath_; }
    // A path relative to the skin folder made absolute; absolute paths stay.
    QString SkinFile(const QString& relativePath) const;

    // Applies a style sheet of the skin to the whole application (once per file).
    bool LoadTheme(const QString& file);

    // Reads a language file (relative to the skin folder) into the texts of its
    // language; false (with a trace line) when it cannot be read.
    bool LoadLanguage(const QString& file);
    // Chooses the language whose texts GetText returns.
    void SetLanguage(const QString& name);
    const QString& GetLanguage() const { return language_; }
    // The current language's text of an id, if it has one.
    std::optional<QString> GetText(const QString& id) const;
    // The text to show for `text`: its translation when it is a language id, else itself.
    QString TextOrSelf(const QString& text) const;
    // Every control of every window shows the current language again.
    void ReloadText();

    // An image of the skin (PNG or SVG), cached; a null pixmap and a trace line when it
    // does not exist or cannot be read.
    QPixmap GetImage(const QString& path);
    bool ImageExists(const QString& path) const;
    // `image` with every pixel's colour replaced by `colour`, keeping its shape, at `alpha`.
    static QPixmap Tinted(const QPixmap& image, const QColor& colour, int alpha);

    // The face every font of the skin takes (the language's); empty: each its own.
    void SetFontFamily(const QString& family) { fontFamily_ = family; }
    const QString& GetFontFamily() const { return fontFamily_; }

    // Fonts shipped with the program; the families it added, empty when it could not.
    QStringList AddPrivateFont(const QString& file);
    void RemovePrivateFonts();

    void Clear();

private:
    CResourceManager() = default;

    QString skinPath_;
    QString language_;
    QHash<QString, QHash<QString, QString>> texts_;  // language -> id -> text
    QHash<QString, QPixmap> images_;
    mutable QHash<QString, bool> imageExists_;  // style updates ask often; the skin does not change
    QList<int> fontIds_;
    QString theme_;
    QString fontFamily_;
};

}  // namespace velnor7::ui
