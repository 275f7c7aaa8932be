#pragma once
// The base of every control: a node of the window's control tree with one Qt widget.
//
// The control tree owns its controls and every control owns its widget; deleting a
// control deletes its widget and, for containers, its children. Controls live on the
// UI thread only.

#include "ui/UiTypes.h"

#include <QColor>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QEvent;
class QPainter;
class QTimer;

namespace velnor7::ui {

class CControlUI;
class CPaintManagerUI;

// The part every control widget shares, whatever Qt class it derives from.
class ControlWidgetHook {
public:
    virtual ~ControlWidgetHook() = default;
    CControlUI* owner = nullptr;
    bool paintsOverlay = false;
    bool paintsUnderlay = false;
};

class CControlUI {
public:
    // The control takes ownership of `widget`; without one it makes a plain box.
    explicit CControlUI(QWidget* widget = nullptr);
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // The layout element name of the class ("Button", "DeviceOption", ...).
    virtual QString GetClass() const;
    QWidget* GetWidget() const { return widget_.data(); }
    static CControlUI* FromWidget(const QWidget* widget);

    const QString& GetName() const { return name_; }
    void SetName(const QString& name);

    // The text as shown: a language id resolves to the current language's text.
    QString GetText() const;
    // The text as set: a language id stays an id.
    const QString& GetRawText() const { return text_; }
    virtual void SetText(const QString& text);

    // A tool tip made of a title and a text; either may be a language id.
    void SetToolTip(const QString& text);
    QString GetToolTip() const;
    void SetUserToolTitle(const QString& title);
    void SetUserToolText(const QString& text) { SetToolTip(text); }
    const QString& GetUserToolTitle() const { return toolTipTitle_; }

    const QString& GetUserData() const { return userData_; }
    void SetUserData(const QString& data) { userData_ = data; }

    // The control's own visibility (a visible control inside a hidden one is still visible).
    bool IsVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const;
    virtual void SetEnabled(bool enabled);
    // A control that takes no mouse input lets it through to what lies below, children included.
    void SetMouseEnabled(bool enabled);
    bool IsMouseEnabled() const;
    bool IsFocused() const;
    void SetFocus();

    // Sizes at 96 DPI; 0 means "take a share of the free space".
    int GetFixedWidth() const { return fixedWidth_; }
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    int GetMinWidth() const { return minWidth_; }
    int GetMaxWidth() const { return maxWidth_; }
    int GetMinHeight() const { return minHeight_; }
    int GetMaxHeight() const { return maxHeight_; }
    void SetMinWidth(int width);
    void SetMaxWidth(int width);
    void SetMinHeight(int height);
    void SetMaxHeight(int height);
    const QMargins& GetPadding() const { return padding_; }
    void SetPadding(const QMargins& padding);
    bool IsFloat() const { return float_; }
    void SetFloat(bool isFloat);
    // For a floating control: its rectangle relative to its parent, at 96 DPI.
    const QRect& GetFloatPos() const { return floatPos_; }
    void SetFloatPos(const QRect& pos);
    // Where the control is now, in its window's coordinates (actual pixels).
    QRect GetPos() const;

    QColor GetBkColor() const { return bkColor_; }
    void SetBkColor(const QColor& colour);
    QColor GetTextColor() const { return textColor_; }
    void SetTextColor(const QColor& colour);
    void SetDisabledTextColor(const QColor& colour);
    void SetBorderColor(const QColor& colour);
    void SetBorderSize(int size);
    void SetBorderRound(int radius);
    const QString& GetBkImage() const { return bkImage_; }
    void SetBkImage(const QString& image);
    int GetFont() const { return fontId_; }
    void SetFont(int fontId);

    // The virtual page that receives this control's notifications; inherited from the parent.
    QString GetVirtualWnd() const;
    void SetVirtualWnd(const QString& name) { virtualWnd_ = name; }

    CControlUI* GetParent() const { return parent_; }
    CPaintManagerUI* GetManager() const { return manager_; }

    // Reads one layout attribute. Returns false when the value cannot be read; an
    // attribute the control does not know is ignored and reads as true.
    virtual bool SetAttribute(const QString& name, const QString& value);
    // Applies "name=\"value\" name2=\"value2\"" (the form of the layout's defaults).
    bool ApplyAttributeList(const QString& list);

    // While attributes are being read, style changes are gathered and applied once at the end.
    void BeginUpdate() { ++updateDepth_; }
    void EndUpdate();

    // The activation a click performs (button click, option selection). Returns false
    // when the control is hidden or disabled.
    virtual bool Activate();

    // Repaint.
    void Invalidate();

    // Called once the control belongs to a window.
    virtual void DoInit() {}
    // A control timer set with the manager's SetTimer expired; the default tells the window.
    virtual void OnTimer(int timerId);
    // Language switch: show the current language's text again.
    virtual void ReloadText();

    // Tells the window (and its pump) about something that happened to this control.
    void SendNotify(const QString& type, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // "menu", with the screen point as y << 16 | x in lParam.
    void SendMenuNotify(const QPoint& global);

    // Used by containers and the manager.
    void SetParent(CControlUI* parent) { parent_ = parent; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);
    // Called for a control and every control below it.
    template <class Visit>
    void ForEachInTree(Visit&& visit);

    // Widget events reach the control here first; return true to swallow the event.
    virtual bool OnWidgetEvent(QEvent* event);
    // Painting over what the widget draws, and under it; enabled with SetPaintsOverlay(true)
    // and SetPaintsUnderlay(true).
    virtual void PaintOverlay(QPainter& painter) { (void)painter; }
    virtual void PaintUnderlay(QPainter& painter) { (void)painter; }

protected:
    void SetPaintsOverlay(bool enabled);
    void SetPaintsUnderlay(bool enabled);
    // Shows the text (already resolved) in the widget.
    virtual void ShowText(const QString& text);
    // Extra style rules of a subclass, with `self` as the selector of this control.
    virtual QString StateStyle(const QString& self) const;
    void UpdateStyle();
    // Geometry and size attributes changed: the parent lays out again.
    void NeedParentUpdate();
    QString ResolvedText(const QString& text) const;
    bool HasBkColor() const { return bkColor_.isValid(); }
    int GetBorderSize() const { return borderSize_; }
    int Scaled(int value) const;
    virtual void ChildrenForEach(const std::function<void(CControlUI*)>& visit) { (void)visit; }

private:
    friend class CContainerUI;
    void ShowToolTip();

    QPointer<QWidget> widget_;
    CPaintManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    QString name_;
    QString text_;
    QString toolTip_;
    QString toolTipTitle_;
    QString userData_;
    QString virtualWnd_;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    int minWidth_ = 0;
    int maxWidth_ = 9999;
    int minHeight_ = 0;
    int maxHeight_ = 9999;
    QMargins padding_;
    bool float_ = false;
    QRect floatPos_;
    QColor bkColor_;
    QColor textColor_;
    QColor disabledTextColor_;
    QColor borderColor_;
    int borderSize_ = 0;
    int borderRound_ = 0;
    QString bkImage_;
    int fontId_ = -1;
    bool visible_ = true;
    int updateDepth_ = 0;
    bool styleDirty_ = false;
    unsigned serial_ = 0;
};

template <class Visit>
void CControlUI::ForEachInTree(Visit&& visit) {
    visit(this);
    ChildrenForEach([&](CControlUI* child) { child->ForEachInTree(visit); });
}

}  // namespace velnor7::ui
