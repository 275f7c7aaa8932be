#pragma once
// The program's modal message: the current language's text of a message id, with a confirm
// button (and a cancel button for a question). For now the desktop's own message box shows
// it; the program's skinned message window takes its place later, behind this function.

#include <QString>

#include <optional>

class QWidget;

namespace velnor7 {

// 1 when the user pressed the confirm button ("confirm_btn"), 0 otherwise. A "%d" in the
// text is replaced by `number`, a "%s" by `name`.
int ShowMessage(QWidget* parent, const QString& textId, bool question, std::optional<int> number = std::nullopt,
                const QString& name = {});

}  // namespace velnor7
