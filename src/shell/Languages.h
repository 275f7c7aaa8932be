#pragma once
// The user's language: the list in DefaultData/Language.config, the choice kept in the
// user's settings (value "LANGUAGE", the entry's Language_ID), and the language combo.

#include <QString>

namespace velnor7 {

namespace ui {
class CComboUI;
class CPaintManagerUI;
}

class CLanguages {
public:
    // The position of the remembered language in the list; 0 when nothing (or nothing
    // known) is remembered.
    static int LoadLanguageChoice();
    // Makes the entry at `index` the language of every window and remembers it. False when
    // the list has no such entry (the texts stay as they were). Coming from `previous`, the
    // fonts of `fonts` (and of every window made later) may take the language's face.
    static bool ApplyLanguage(int index, int previous = -1, ui::CPaintManagerUI* fonts = nullptr);
    // The face for a language's texts: one with Chinese, Japanese and Korean glyphs for those.
    static QString FontFamilyFor(const QString& languageName);
    // Fills the combo with the languages' names and selects `index` without a notification.
    static void FillLanguageCombo(ui::CComboUI* combo, int index);
    static QString ListFile();
};

}  // namespace velnor7
