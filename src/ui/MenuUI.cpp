#include "ui/MenuUI.h"

#include "common/Trace.h"
#include "ui/ResourceManager.h"

#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QXmlStreamReader>

namespace velnor7::ui {

namespace {

void ReadItems(QXmlStreamReader& xml, QMenu* menu, WindowHandle owner, unsigned commandMessage) {
    CResourceManager& resources = CResourceManager::Instance();
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("MenuElement")) {
            xml.skipCurrentElement();
            continue;
        }
        const auto attributes = xml.attributes();
        if (attributes.value("separator") == QLatin1String("true")) {
            menu->addSeparator();
            xml.skipCurrentElement();
            continue;
        }
        const QString name = attributes.value("name").toString();
        const QString text = resources.TextOrSelf(attributes.value("text").toString());
        const QString icon = attributes.value("icon").toString();
        // An element with elements of its own is a sub-menu.
        QMenu probe;
        ReadItems(xml, &probe, owner, commandMessage);
        if (!probe.actions().isEmpty()) {
            QMenu* sub = menu->addMenu(text);
            for (QAction* action : probe.actions()) {
                action->setParent(sub);
                sub->addAction(action);
            }
            continue;
        }
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        if (!icon.isEmpty() && resources.ImageExists(icon)) action->setIcon(QIcon(resources.SkinFile(icon)));
        if (attributes.value("enabled") == QLatin1String("false")) action->setEnabled(false);
        QObject::connect(action, &QAction::triggered, action, [owner, commandMessage, name] {
            PostWindowMessage(owner, WindowMessage{commandMessage, 0, 0, name});
        });
    }
}

}  // namespace

QMenu* CMenuUI::Build(WindowHandle owner, const QString& xml, const QString& sourceName, unsigned commandMessage) {
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("Menu")) {
        Trace("ui: menu %s: %s", qUtf8Printable(sourceName),
              reader.hasError() ? qUtf8Printable(reader.errorString()) : "the root element is not Menu");
        return nullptr;
    }
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    ReadItems(reader, menu, owner, commandMessage);
    if (reader.hasError()) {
        Trace("ui: menu %s line %lld: %s", qUtf8Printable(sourceName), static_cast<long long>(reader.lineNumber()),
              qUtf8Printable(reader.errorString()));
    }
    if (menu->actions().isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu;
}

QMenu* CMenuUI::Popup(WindowHandle owner, const QString& menuFile, const QPoint& screenPosition, unsigned commandMessage) {
    const QString path = CResourceManager::Instance().SkinFile(menuFile);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Trace("ui: menu %s cannot be opened", qUtf8Printable(path));
        return nullptr;
    }
    QMenu* menu = Build(owner, QString::fromUtf8(file.readAll()), path, commandMessage);
    if (menu != nullptr) menu->popup(screenPosition);
    return menu;
}

}  // namespace velnor7::ui
