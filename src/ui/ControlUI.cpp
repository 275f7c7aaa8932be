#include "ui/ControlUI.h"

#include "common/Trace.h"
#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

#include <QLayout>
#include <QStyle>
#include <QTextDocumentFragment>

namespace velnor7::ui {

namespace {

const char* const kControlProperty = "velnor7_control";

unsigned NextSerial() {
    static unsigned serial = 0;
    return ++serial;
}

QString ColourRule(const char* property, const QColor& colour) {
    return QString("%1:rgba(%2,%3,%4,%5);")
        .arg(property)
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

}  // namespace

CControlUI::CControlUI(QWidget* widget) : widget_(widget != nullptr ? widget : new BoxWidget), serial_(NextSerial()) {
    widget_->setProperty(kControlProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    widget_->setProperty("uiid", serial_);
    if (auto* hook = dynamic_cast<ControlWidgetHook*>(widget_.data())) hook->owner = this;
}

CControlUI::~CControlUI() {
    if (manager_ != nullptr) {
        manager_->KillTimers(this);
        manager_->UnregisterControl(this);
    }
    if (auto* hook = dynamic_cast<ControlWidgetHook*>(widget_.data())) hook->owner = nullptr;
    delete widget_.data();
}

QString CControlUI::GetClass() const { return "Control"; }

CControlUI* CControlUI::FromWidget(const QWidget* widget) {
    if (widget == nullptr) return nullptr;
    const QVariant value = widget->property(kControlProperty);
    if (!value.isValid()) return nullptr;
    return reinterpret_cast<CControlUI*>(value.value<quintptr>());
}

void CControlUI::SetName(const QString& name) {
    if (name == name_) return;
    const QString old = name_;
    name_ = name;
    if (widget_) widget_->setObjectName(name);
    if (manager_ != nullptr) manager_->RenameControl(this, old);
}

QString CControlUI::ResolvedText(const QString& text) const {
    return CResourceManager::Instance().TextOrSelf(text);
}

QString CControlUI::GetText() const { return ResolvedText(text_); }

void CControlUI::SetText(const QString& text) {
    text_ = text;
    ShowText(ResolvedText(text_));
}

void CControlUI::ShowText(const QString& text) { (void)text; }

void CControlUI::SetToolTip(const QString& text) {
    toolTip_ = text;
    ShowToolTip();
}

QString CControlUI::GetToolTip() const { return ResolvedText(toolTip_); }

void CControlUI::SetUserToolTitle(const QString& title) {
    toolTipTitle_ = title;
    ShowToolTip();
}

void CControlUI::ShowToolTip() {
    if (!widget_) return;
    const QString title = ResolvedText(toolTipTitle_);
    const QString text = ResolvedText(toolTip_);
    if (title.isEmpty()) {
        widget_->setToolTip(text.toHtmlEscaped());
    } else {
        widget_->setToolTip(QString("<b>%1</b><br/>%2").arg(title.toHtmlEscaped(), text.toHtmlEscaped()));
    }
}

void CControlUI::ReloadText() {
    ShowText(ResolvedText(text_));
    ShowToolTip();
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    // A widget without a parent is not shown on its own; its container shows it.
    if (widget_ && (widget_->parentWidget() != nullptr || !visible)) widget_->setVisible(visible);
    NeedParentUpdate();
}

bool CControlUI::IsEnabled() const { return widget_ && widget_->isEnabled(); }

void CControlUI::SetEnabled(bool enabled) {
    if (widget_) widget_->setEnabled(enabled);
}

void CControlUI::SetMouseEnabled(bool enabled) {
    if (widget_) widget_->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

bool CControlUI::IsMouseEnabled() const { return !widget_ || !widget_->testAttribute(Qt::WA_TransparentForMouseEvents); }

bool CControlUI::IsFocused() const { return widget_ && widget_->hasFocus(); }

void CControlUI::SetFocus() {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void CControlUI::SetFixedWidth(int width) {
    fixedWidth_ = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    fixedHeight_ = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int width) {
    minWidth_ = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int width) {
    maxWidth_ = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int height) {
    minHeight_ = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int height) {
    maxHeight_ = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetPadding(const QMargins& padding) {
    padding_ = padding;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    float_ = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const QRect& pos) {
    floatPos_ = pos;
    NeedParentUpdate();
}

QRect CControlUI::GetPos() const {
    if (!widget_) return {};
    QWidget* top = widget_->window();
    return QRect(widget_->mapTo(top, QPoint(0, 0)), widget_->size());
}

void CControlUI::SetBkColor(const QColor& colour) {
    bkColor_ = colour;
    UpdateStyle();
}

void CControlUI::SetTextColor(const QColor& colour) {
    textColor_ = colour;
    UpdateStyle();
}

void CControlUI::SetDisabledTextColor(const QColor& colour) {
    disabledTextColor_ = colour;
    UpdateStyle();
}

void CControlUI::SetBorderColor(const QColor& colour) {
    borderColor_ = colour;
    UpdateStyle();
}

void CControlUI::SetBorderSize(int size) {
    borderSize_ = std::max(0, size);
    UpdateStyle();
}

void CControlUI::SetBorderRound(int radius) {
    borderRound_ = std::max(0, radius);
    UpdateStyle();
}

void CControlUI::SetBkImage(const QString& image) {
    bkImage_ = image;
    if (!image.isEmpty() && !CResourceManager::Instance().ImageExists(image)) {
        Trace("ui: image %s of control '%s' does not exist",
              qUtf8Printable(CResourceManager::Instance().SkinFile(image)), qUtf8Printable(name_));
    }
    UpdateStyle();
}

void CControlUI::SetFont(int fontId) {
    fontId_ = fontId;
    if (widget_ && manager_ != nullptr && fontId_ >= 0) widget_->setFont(manager_->GetFont(fontId_));
}

QString CControlUI::GetVirtualWnd() const {
    for (const CControlUI* control = this; control != nullptr; control = control->parent_) {
        if (!control->virtualWnd_.isEmpty()) return control->virtualWnd_;
    }
    return {};
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    parent_ = parent;
    if (manager_ == manager) return;
    if (manager_ != nullptr) {
        manager_->KillTimers(this);
        manager_->UnregisterControl(this);
    }
    manager_ = manager;
    if (manager_ != nullptr) {
        manager_->RegisterControl(this);
        if (widget_) widget_->setFont(fontId_ >= 0 ? manager_->GetFont(fontId_) : manager_->GetDefaultFont());
        DoInit();
    }
}

int CControlUI::Scaled(int value) const { return manager_ != nullptr ? manager_->Scale(value) : value; }

QString CControlUI::StateStyle(const QString& self) const {
    (void)self;
    return {};
}

void CControlUI::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0 && styleDirty_) UpdateStyle();
}

void CControlUI::UpdateStyle() {
    if (updateDepth_ > 0) {
        styleDirty_ = true;
        return;
    }
    styleDirty_ = false;
    if (!widget_) return;
    const QString self = QString("*[uiid=\"%1\"]").arg(serial_);
    QString rules;
    if (bkColor_.isValid()) rules += ColourRule("background-color", bkColor_);
    if (textColor_.isValid()) rules += ColourRule("color", textColor_);
    if (borderSize_ > 0) {
        const QColor border = borderColor_.isValid() ? borderColor_ : QColor(0, 0, 0, 0);
        rules += QString("border:%1px solid rgba(%2,%3,%4,%5);")
                     .arg(Scaled(borderSize_))
                     .arg(border.red())
                     .arg(border.green())
                     .arg(border.blue())
                     .arg(border.alpha());
    }
    if (borderRound_ > 0) rules += QString("border-radius:%1px;").arg(Scaled(borderRound_));
    if (!bkImage_.isEmpty() && CResourceManager::Instance().ImageExists(bkImage_)) {
        rules += QString("border-image:url(\"%1\") 0 0 0 0 stretch stretch;")
                     .arg(CResourceManager::Instance().SkinFile(bkImage_));
    }
    QString sheet;
    if (!rules.isEmpty()) sheet = self + "{" + rules + "}";
    if (disabledTextColor_.isValid()) sheet += self + ":disabled{" + ColourRule("color", disabledTextColor_) + "}";
    sheet += StateStyle(self);
    if (sheet != widget_->styleSheet()) widget_->setStyleSheet(sheet);
}

void CControlUI::NeedParentUpdate() {
    if (parent_ == nullptr || parent_->widget_ == nullptr) return;
    if (QLayout* layout = parent_->widget_->layout()) {
        layout->invalidate();
        layout->activate();
    }
}

void CControlUI::Invalidate() {
    if (widget_) widget_->update();
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SendMenuNotify(const QPoint& global) {
    SendNotify("menu", 0, (std::intptr_t{global.y()} << 16) | (global.x() & 0xFFFF));
}

void CControlUI::OnTimer(int timerId) { SendNotify("timer", static_cast<std::uintptr_t>(timerId)); }

void CControlUI::SendNotify(const QString& type, std::uintptr_t wParam, std::intptr_t lParam) {
    if (manager_ == nullptr) return;
    TNotifyUI msg{type, GetVirtualWnd(), this, wParam, lParam};
    manager_->SendNotify(msg);
}

bool CControlUI::OnWidgetEvent(QEvent* event) {
    (void)event;
    return false;
}

void CControlUI::SetPaintsOverlay(bool enabled) {
    if (auto* hook = dynamic_cast<ControlWidgetHook*>(widget_.data())) hook->paintsOverlay = enabled;
}

void CControlUI::SetPaintsUnderlay(bool enabled) {
    if (auto* hook = dynamic_cast<ControlWidgetHook*>(widget_.data())) hook->paintsUnderlay = enabled;
}

bool CControlUI::ApplyAttributeList(const QString& list) {
    bool allRead = true;
    BeginUpdate();
    for (const auto& [name, value] : ParseAttributeList(list)) allRead = SetAttribute(name, value) && allRead;
    EndUpdate();
    return allRead;
}

bool CControlUI::SetAttribute(const QString& name, const QString& value) {
    auto integer = [&](auto apply) { return ApplyParsed(value, ParseInt, apply); };
    auto colour = [&](auto apply) { return ApplyParsed(value, ParseColour, apply); };
    auto boolean = [&](auto apply) { return ApplyParsed(value, ParseBool, apply); };

    if (name == "name") SetName(value);
    else if (name == "text") SetText(value);
    else if (name == "tooltip") SetToolTip(value);
    else if (name == "userdata") SetUserData(value);
    else if (name == "virtualwnd") SetVirtualWnd(value);
    else if (name == "visible") return boolean([&](bool v) { SetVisible(v); });
    else if (name == "enabled") return boolean([&](bool v) { SetEnabled(v); });
    else if (name == "width") return integer([&](int v) { SetFixedWidth(v); });
    else if (name == "height") return integer([&](int v) { SetFixedHeight(v); });
    else if (name == "minwidth") return integer([&](int v) { SetMinWidth(v); });
    else if (name == "maxwidth") return integer([&](int v) { SetMaxWidth(v); });
    else if (name == "minheight") return integer([&](int v) { SetMinHeight(v); });
    else if (name == "maxheight") return integer([&](int v) { SetMaxHeight(v); });
    else if (name == "padding") return ApplyParsed(value, ParseMargins, [&](QMargins m) { SetPadding(m); });
    else if (name == "float") return boolean([&](bool v) { SetFloat(v); });
    else if (name == "pos") {
        return ApplyParsed(value, ParseRect, [&](QRect r) {
            if (r.isEmpty() && (fixedWidth_ > 0 || fixedHeight_ > 0)) r.setSize(QSize(fixedWidth_, fixedHeight_));
            SetFloatPos(r);
        });
    }
    else if (name == "bkcolor") return colour([&](QColor c) { SetBkColor(c); });
    else if (name == "opaque") {
        // The control paints every pixel of itself (an opaque "bkcolor"): what lies under it
        // is not painted again when it repaints, which makes a busy area cheap.
        return boolean([&](bool v) {
            if (widget_) widget_->setAttribute(Qt::WA_OpaquePaintEvent, v);
        });
    }
    else if (name == "textcolor") return colour([&](QColor c) { SetTextColor(c); });
    else if (name == "disabledtextcolor") return colour([&](QColor c) { SetDisabledTextColor(c); });
    else if (name == "bordercolor") return colour([&](QColor c) { SetBorderColor(c); });
    else if (name == "bordersize") return integer([&](int v) { SetBorderSize(v); });
    else if (name == "borderround") {
        // "r" or "rx,ry": one radius is all a style sheet draws.
        return integer([&](int v) { SetBorderRound(v); }) ||
               ApplyParsed(value, ParseSize, [&](QSize s) { SetBorderRound(s.width()); });
    }
    else if (name == "bkimage") SetBkImage(ParseImagePath(value));
    else if (name == "font") return integer([&](int v) { SetFont(v); });
    else if (name == "uiclass") {
        // A class of the theme's style sheet ("primary", "caption", "tab", "check", "radio").
        if (widget_) {
            widget_->setProperty("uiclass", value);
            widget_->style()->unpolish(widget_.data());
            widget_->style()->polish(widget_.data());
        }
    }
    else if (name == "cursor") {
        static const QHash<QString, Qt::CursorShape> cursors{
            {"arrow", Qt::ArrowCursor}, {"hand", Qt::PointingHandCursor}, {"ibeam", Qt::IBeamCursor},
            {"wait", Qt::WaitCursor},   {"cross", Qt::CrossCursor},       {"no", Qt::ForbiddenCursor},
            {"sizeall", Qt::SizeAllCursor}, {"sizewe", Qt::SizeHorCursor}, {"sizens", Qt::SizeVerCursor},
            {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor}, {"uparrow", Qt::UpArrowCursor},
            {"size", Qt::SizeAllCursor}, {"icon", Qt::ArrowCursor}};
        const auto cursor = cursors.constFind(value.trimmed().toLower());
        if (cursor == cursors.cend()) return false;
        if (widget_) widget_->setCursor(*cursor);
    }
    return true;
}

}  // namespace velnor7::ui
