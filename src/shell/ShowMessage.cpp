#include "shell/ShowMessage.h"

#include "ui/Messages.h"
#include "ui/ResourceManager.h"

namespace velnor7 {

int ShowMessage(QWidget* parent, const QString& textId, bool question, std::optional<int> number,
                const QString& name) {
    QString text = ui::CResourceManager::Instance().TextOrSelf(textId);
    if (number) text.replace("%d", QString::number(*number));
    text.replace("%s", name);
    if (question) return ui::Messages().Ask(parent, text) ? 1 : 0;
    ui::Messages().Tell(parent, text);
    return 1;
}

}  // namespace velnor7
