#pragma once
// Control classes known by name: the built-in elements of the layout files and the classes
// a program registers for its own elements.

#include <QHash>
#include <QString>

#include <functional>

namespace velnor7::ui {

class CControlUI;

class CControlFactory {
public:
    using Creator = std::function<CControlUI*()>;
    static CControlFactory& Instance();

    // Registers (or replaces) the class behind an element name.
    void RegistControl(const QString& className, Creator creator);
    bool IsRegistered(const QString& className) const { return creators_.contains(className); }
    // A new control of the registered class; null when the name is not registered.
    CControlUI* CreateControl(const QString& className) const;

    // A new control of a built-in element (Button, List, ...); null for other names.
    static CControlUI* CreateBuiltIn(const QString& className);

private:
    QHash<QString, Creator> creators_;
};

}  // namespace velnor7::ui
