#include "ui/DialogBuilder.h"

#include "common/Trace.h"
#include "ui/Attributes.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

#include <QApplication>
#include <QFile>
#include <QXmlStreamReader>

namespace velnor7::ui {

namespace {

constexpr int kMaxIncludeDepth = 8;

QString ReadText(const QString& path, bool& ok) {
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

void CDialogBuilder::Problem(const QXmlStreamReader& xml, const QString& what) const {
    Trace("ui: layout %s line %lld: %s", qUtf8Printable(source_), static_cast<long long>(xml.lineNumber()),
          qUtf8Printable(what));
}

CControlUI* CDialogBuilder::Create(const QString& layoutFile, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CContainerUI* parent) {
    const QString path = CResourceManager::Instance().SkinFile(layoutFile);
    bool ok = false;
    const QString xml = ReadText(path, ok);
    if (!ok) {
        Trace("ui: layout %s cannot be opened", qUtf8Printable(path));
        return nullptr;
    }
    return CreateFromString(xml, callback, manager, parent, path);
}

CControlUI* CDialogBuilder::CreateFromString(const QString& xml, IDialogBuilderCallback* callback,
                                             CPaintManagerUI* manager, CContainerUI* parent,
                                             const QString& sourceName) {
    callback_ = callback;
    manager_ = manager;
    externalParent_ = parent;
    source_ = sourceName;
    if (manager_ != nullptr) LoadResources(manager_);
    QXmlStreamReader reader(xml);
    CControlUI* root = nullptr;
    // One element at the top: reading on past its end reads as an error.
    if (reader.readNextStartElement()) BuildElement(reader, parent, root);
    if (reader.hasError()) Problem(reader, reader.errorString());
    else if (root == nullptr) Problem(reader, "no control in the layout");
    return root;
}

CControlUI* CDialogBuilder::NewControl(const QString& className) {
    if (CControlUI* control = CControlFactory::CreateBuiltIn(className)) return control;
    if (callback_ != nullptr) {
        if (CControlUI* control = callback_->CreateControl(className)) return control;
    }
    return CControlFactory::Instance().CreateControl(className);
}

CControlUI* CDialogBuilder::Build(QXmlStreamReader& xml, CContainerUI* parent) {
    CControlUI* first = nullptr;
    while (xml.readNextStartElement()) BuildElement(xml, parent, first);
    return first;
}

void CDialogBuilder::BuildElement(QXmlStreamReader& xml, CContainerUI* parent, CControlUI*& first) {
    const QString name = xml.name().toString();
    if (name == "Window") {
        ReadWindow(xml);
        CControlUI* root = Build(xml, parent);
        if (first == nullptr) first = root;
        return;
    }
    if (name == "Font" || name == "Default" || name == "Include") {
        if (name == "Font") ReadFont(xml);
        else if (name == "Default") ReadDefault(xml);
        else Include(xml, parent, first);
        xml.skipCurrentElement();
        return;
    }

    CControlUI* control = NewControl(name);
    if (control == nullptr) {
        Problem(xml, QString("unknown element <%1> skipped").arg(name));
        xml.skipCurrentElement();
        return;
    }
    control->BeginUpdate();
    if (manager_ != nullptr) {
        const QString defaults = manager_->GetDefaultAttributeList(name);
        if (!defaults.isEmpty() && !control->ApplyAttributeList(defaults)) {
            Problem(xml, QString("a default attribute of <%1> has a bad value").arg(name));
        }
    }
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        const QString key = attribute.name().toString();
        const QString value = attribute.value().toString();
        if (!control->SetAttribute(key, value)) {
            Problem(xml, QString("bad value '%1' for %2 of <%3>").arg(value, key, name));
        }
    }
    control->EndUpdate();

    // A control goes into its parent before its children are built (a widget is re-styled
    // each time its tree moves under a styled parent, so each one moves once), except at the
    // top of this layout: there the whole subtree joins the caller's container when it is
    // complete, so that controls start (DoInit) with their children in place.
    const bool topOfLayout = parent == externalParent_;
    if (topOfLayout && parent == nullptr && first != nullptr) {
        Problem(xml, QString("a layout has one root; <%1> skipped").arg(name));
        delete control;
        xml.skipCurrentElement();
        return;
    }
    if (!topOfLayout && !parent->Add(control)) {
        Problem(xml, QString("<%1> cannot be added").arg(name));
        xml.skipCurrentElement();
        return;
    }

    if (auto* container = dynamic_cast<CContainerUI*>(control)) {
        Build(xml, container);
    } else {
        while (xml.readNextStartElement()) {
            Problem(xml, QString("<%1> cannot hold <%2>; skipped").arg(name, xml.name().toString()));
            xml.skipCurrentElement();
        }
    }

    if (topOfLayout && parent != nullptr && !parent->Add(control)) {
        Problem(xml, QString("<%1> cannot be added").arg(name));
        return;
    }
    if (first == nullptr) first = control;
}

void CDialogBuilder::ReadWindow(QXmlStreamReader& xml) {
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        const QString key = attribute.name().toString();
        const QString value = attribute.value().toString();
        bool ok = true;
        if (key == "size" || key == "mininfo" || key == "maxinfo") {
            const auto size = ParseSize(value);
            ok = size.has_value();
            if (ok) (key == "size" ? window_.size : key == "mininfo" ? window_.minSize : window_.maxSize) = *size;
        } else if (key == "caption") {
            const auto rect = ParseMargins(value);
            ok = rect.has_value();
            if (ok) window_.captionHeight = rect->bottom();
        } else if (key == "sizebox") {
            window_.sizeBox = true;
        } else if (key == "title") {
            window_.title = value;
        } else if (key == "bkcolor") {
            const auto colour = ParseColour(value);
            ok = colour.has_value();
            if (ok) window_.bkColor = *colour;
        }
        if (!ok) Problem(xml, QString("bad value '%1' for %2 of <Window>").arg(value, key));
    }
}

void CDialogBuilder::ReadFont(QXmlStreamReader& xml) {
    if (manager_ == nullptr) return;
    const auto attributes = xml.attributes();
    const auto id = ParseInt(attributes.value("id").toString());
    const auto size = ParseInt(attributes.value("size").toString());
    if (!id || !size || *size <= 0) {
        Problem(xml, "a <Font> needs an id and a size");
        return;
    }
    const QString& languageFace = CResourceManager::Instance().GetFontFamily();
    QFont font(languageFace.isEmpty() ? attributes.value("name").toString() : languageFace);
    font.setPixelSize(*size);
    auto flag = [&](const char* key) { return ParseBool(attributes.value(key).toString()).value_or(false); };
    font.setBold(flag("bold"));
    font.setItalic(flag("italic"));
    font.setUnderline(flag("underline"));
    manager_->AddFont(*id, font, flag("default"));
}

void CDialogBuilder::ReadDefault(QXmlStreamReader& xml) {
    if (manager_ == nullptr) return;
    const auto attributes = xml.attributes();
    const QString name = attributes.value("name").toString();
    if (name.isEmpty()) {
        Problem(xml, "a <Default> needs a name");
        return;
    }
    manager_->AddDefaultAttributeList(name, attributes.value("value").toString());
}

void CDialogBuilder::Include(QXmlStreamReader& xml, CContainerUI* parent, CControlUI*& first) {
    const QString source = xml.attributes().value("source").toString();
    const int count = ParseInt(xml.attributes().value("count").toString()).value_or(1);
    if (source.isEmpty()) {
        Problem(xml, "an <Include> needs a source");
        return;
    }
    if (includeDepth_ >= kMaxIncludeDepth) {
        Problem(xml, QString("includes nested too deep at %1").arg(source));
        return;
    }
    for (int i = 0; i < count; ++i) {
        CDialogBuilder nested;
        nested.includeDepth_ = includeDepth_ + 1;
        nested.window_ = window_;
        CControlUI* built = nested.Create(source, callback_, manager_, parent);
        if (first == nullptr) first = built;
        else if (parent == nullptr && built != nullptr) {
            Problem(xml, "a layout has one root; an included root skipped");
            delete built;
        }
    }
}

void CDialogBuilder::LoadResources(CPaintManagerUI* manager) {
    if (manager == nullptr || manager->ResourcesLoaded()) return;
    manager->SetResourcesLoaded();
    CResourceManager& resources = CResourceManager::Instance();
    if (resources.GetSkinPath().isEmpty()) return;
    const QString path = resources.SkinFile("res.xml");
    bool ok = false;
    const QString text = ReadText(path, ok);
    if (!ok) {
        Trace("ui: resource file %s cannot be opened", qUtf8Printable(path));
        return;
    }
    CDialogBuilder reader;
    reader.manager_ = manager;
    reader.source_ = path;
    QXmlStreamReader xml(text);
    if (xml.readNextStartElement()) {
        while (xml.readNextStartElement()) {
            const QString name = xml.name().toString();
            if (name == "Font") reader.ReadFont(xml);
            else if (name == "Default") reader.ReadDefault(xml);
            else if (name == "Style") resources.LoadTheme(xml.attributes().value("file").toString());
            else reader.Problem(xml, QString("unknown element <%1> skipped").arg(name));
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) reader.Problem(xml, xml.errorString());
}

}  // namespace velnor7::ui
