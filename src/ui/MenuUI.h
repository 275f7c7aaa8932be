#pragma once
// Pop-up menus described by a layout file of the skin. The chosen item's name comes back to
// the owning window as a message whose `text` is the name.

#include "ui/WindowMessages.h"

#include <QPoint>
#include <QString>

class QMenu;

namespace velnor7::ui {

class CMenuUI {
public:
    // The menu command message the owner receives by default.
    static constexpr unsigned kMenuCommand = 0x0479;

    // Opens the menu of `menuFile` at a screen position without waiting for the choice;
    // returns the open menu (it deletes itself when closed), or null when the file gives none.
    static QMenu* Popup(WindowHandle owner, const QString& menuFile, const QPoint& screenPosition,
                        unsigned commandMessage = kMenuCommand);
    // Builds the menu from a layout string (the same format).
    static QMenu* Build(WindowHandle owner, const QString& xml, const QString& sourceName, unsigned commandMessage);
};

}  // namespace velnor7::ui
