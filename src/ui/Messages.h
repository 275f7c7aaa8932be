#pragma once
// Modal questions and messages behind an interface, so that tests can answer them.

#include <QString>

class QWidget;

namespace velnor7::ui {

class IMessages {
public:
    virtual ~IMessages() = default;
    // True when the user confirms.
    virtual bool Ask(QWidget* parent, const QString& text) = 0;
    virtual void Tell(QWidget* parent, const QString& text) = 0;
};

// The messages in use: the desktop's, unless a test put its own in place.
IMessages& Messages();
// null puts the desktop's back.
void SetMessages(IMessages* messages);

}  // namespace velnor7::ui
