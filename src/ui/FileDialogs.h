#pragma once
// Open and save dialogs behind an interface, so that tests can answer them.

#include <QString>

#include <optional>

class QWidget;

namespace velnor7::ui {

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // `filter` in Qt's form: "Profile Files (*.json)". Nothing when the user cancels.
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    // A chosen name without an extension gets `defaultSuffix`.
    virtual std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                            const QString& suggestedName, const QString& defaultSuffix) = 0;
};

// The dialogs in use: the desktop's, unless a test put its own in place.
IFileDialogs& FileDialogs();
// null puts the desktop's dialogs back.
void SetFileDialogs(IFileDialogs* dialogs);

}  // namespace velnor7::ui
