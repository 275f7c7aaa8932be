#include "ui/Messages.h"

#include <QMessageBox>

namespace velnor7::ui {

namespace {

class DesktopMessages : public IMessages {
public:
    bool Ask(QWidget* parent, const QString& text) override {
        return QMessageBox::question(parent, "VELNOR7", text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    }
    void Tell(QWidget* parent, const QString& text) override { QMessageBox::information(parent, "VELNOR7", text); }
};

IMessages& Desktop() {
    static DesktopMessages desktop;
    return desktop;
}

IMessages*& Current() {
    static IMessages* current = &Desktop();
    return current;
}

}  // namespace

IMessages& Messages() { return *Current(); }

void SetMessages(IMessages* messages) { Current() = messages != nullptr ? messages : &Desktop(); }

}  // namespace velnor7::ui
