#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace velnor7::ui {

namespace {

class DesktopFileDialogs : public IFileDialogs {
public:
    std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& filter) override {
        const QString file = QFileDialog::getOpenFileName(parent, title, QString(), filter);
        if (file.isEmpty()) return std::nullopt;
        return file;
    }

    std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& suggestedName, const QString& defaultSuffix) override {
        QFileDialog dialog(parent, title, suggestedName, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        QString file = dialog.selectedFiles().front();
        if (!defaultSuffix.isEmpty() && QFileInfo(file).suffix().isEmpty()) file += "." + defaultSuffix;
        return file;
    }
};

IFileDialogs& Desktop() {
    static DesktopFileDialogs desktop;
    return desktop;
}

IFileDialogs*& Current() {
    static IFileDialogs* current = &Desktop();
    return current;
}

}  // namespace

IFileDialogs& FileDialogs() { return *Current(); }

void SetFileDialogs(IFileDialogs* dialogs) { Current() = dialogs != nullptr ? dialogs : &Desktop(); }

}  // namespace velnor7::ui
