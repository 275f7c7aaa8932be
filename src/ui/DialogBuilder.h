#pragma once
// Builds a control tree from a layout file of the skin (see skin/README.md).

#include <QColor>
#include <QMargins>
#include <QSize>
#include <QString>

class QXmlStreamReader;

namespace velnor7::ui {

class CControlUI;
class CContainerUI;
class CPaintManagerUI;

// Asked for every element name that is not a built-in control.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const QString& className) = 0;
};

// What the <Window> element of a layout says about its window.
struct WindowLayoutInfo {
    QSize size;
    QSize minSize;
    QSize maxSize;
    int captionHeight = 0;
    bool sizeBox = false;
    QString title;
    QColor bkColor;
};

class CDialogBuilder {
public:
    // Builds the tree of a layout file (relative to the skin folder). With a manager, the
    // skin's res.xml and the window's fonts and defaults go into it; with a parent, the
    // built controls are added to it. Returns the root control (for a parent: the first
    // control added), or null when nothing could be built. Problems write trace lines.
    CControlUI* Create(const QString& layoutFile, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CContainerUI* parent = nullptr);
    // The same for a layout held in a string; `sourceName` names it in trace lines.
    CControlUI* CreateFromString(const QString& xml, IDialogBuilderCallback* callback = nullptr,
                                 CPaintManagerUI* manager = nullptr, CContainerUI* parent = nullptr,
                                 const QString& sourceName = "<string>");

    const WindowLayoutInfo& GetWindowInfo() const { return window_; }

    // Reads res.xml of the skin into `manager` (fonts, defaults) and applies the theme's
    // style sheet to the application; done once per manager.
    static void LoadResources(CPaintManagerUI* manager);

private:
    // The children of the current element.
    CControlUI* Build(QXmlStreamReader& xml, CContainerUI* parent);
    // The current element.
    void BuildElement(QXmlStreamReader& xml, CContainerUI* parent, CControlUI*& first);
    CControlUI* NewControl(const QString& className);
    void ReadWindow(QXmlStreamReader& xml);
    void ReadFont(QXmlStreamReader& xml);
    void ReadDefault(QXmlStreamReader& xml);
    void Include(QXmlStreamReader& xml, CContainerUI* parent, CControlUI*& first);
    void Problem(const QXmlStreamReader& xml, const QString& what) const;

    IDialogBuilderCallback* callback_ = nullptr;
    CPaintManagerUI* manager_ = nullptr;
    CContainerUI* externalParent_ = nullptr;  // where the layout's top controls go
    QString source_;
    int includeDepth_ = 0;
    WindowLayoutInfo window_;
};

}  // namespace velnor7::ui
