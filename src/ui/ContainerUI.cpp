#include "ui/ContainerUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "ui/PaintManagerUI.h"

#include <QStackedWidget>

namespace velnor7::ui {

CContainerUI::CContainerUI() : CContainerUI(nullptr, BoxLayout::Direction::Overlay) {}

CContainerUI::CContainerUI(QWidget* widget, BoxLayout::Direction direction) : CControlUI(widget) {
    if (widget == nullptr) layout_ = new BoxLayout(direction, GetWidget());
}

CContainerUI::~CContainerUI() { RemoveAll(); }

QString CContainerUI::GetClass() const { return "Container"; }

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)] : nullptr;
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (items_[static_cast<size_t>(i)] == control) return i;
    }
    return -1;
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || control == this || GetItemIndex(control) >= 0) return false;
    if (index < 0 || index > GetCount()) {
        delete control;
        return false;
    }
    items_.insert(items_.begin() + index, control);
    control->SetParent(this);
    InsertChildWidget(index, control);
    if (GetManager() != nullptr) control->SetManager(GetManager(), this);
    Relayout();
    return true;
}

bool CContainerUI::Remove(CControlUI* control, bool keep) { return RemoveAt(GetItemIndex(control), keep); }

bool CContainerUI::RemoveAt(int index, bool keep) {
    CControlUI* control = GetItemAt(index);
    if (control == nullptr) return false;
    RemoveChildWidget(index, control);
    items_.erase(items_.begin() + index);
    if (keep) {
        control->SetManager(nullptr, nullptr);
        if (QWidget* widget = control->GetWidget()) {
            widget->hide();
            widget->setParent(nullptr);
        }
    } else {
        delete control;
    }
    Relayout();
    return true;
}

void CContainerUI::RemoveAll() {
    while (!items_.empty()) RemoveAt(GetCount() - 1);
}

CControlUI* CContainerUI::FindSubControl(const QString& name) {
    return CPaintManagerUI::FindSubControlByName(this, name);
}

void CContainerUI::InsertChildWidget(int index, CControlUI* control) {
    if (layout_ != nullptr && control->GetWidget() != nullptr) {
        layout_->InsertWidget(index, control->GetWidget());
        control->GetWidget()->setVisible(control->IsVisible());
    }
}

void CContainerUI::RemoveChildWidget(int index, CControlUI* control) {
    (void)index;
    if (layout_ != nullptr && control->GetWidget() != nullptr) layout_->removeWidget(control->GetWidget());
}

void CContainerUI::ChildrenForEach(const std::function<void(CControlUI*)>& visit) {
    // A copy: a visit may add or remove children.
    const std::vector<CControlUI*> children = items_;
    for (CControlUI* child : children) visit(child);
}

void CContainerUI::Relayout() {
    if (layout_ == nullptr) return;
    layout_->invalidate();
    layout_->activate();
}

void CContainerUI::SetInset(const QMargins& inset) {
    if (layout_ != nullptr) layout_->SetInset(inset);
    Relayout();
}

void CContainerUI::SetChildPadding(int padding) {
    if (layout_ != nullptr) layout_->SetChildPadding(padding);
    Relayout();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    // Children first, so that a container's DoInit finds its whole subtree in place.
    if (layout_ != nullptr) layout_->SetManager(manager);
    for (CControlUI* child : std::vector<CControlUI*>(items_)) child->SetManager(manager, this);
    CControlUI::SetManager(manager, parent);
}

bool CContainerUI::SetAttribute(const QString& name, const QString& value) {
    static const QHash<QString, int> alignments{{"left", 0}, {"top", 0}, {"center", 1}, {"vcenter", 1},
                                                {"right", 2}, {"bottom", 2}};
    if (name == "inset") return ApplyParsed(value, ParseMargins, [&](QMargins inset) { SetInset(inset); });
    if (name == "childpadding") return ApplyParsed(value, ParseInt, [&](int padding) { SetChildPadding(padding); });
    if (name == "childalign" || name == "childvalign") {
        const auto align = alignments.constFind(value.trimmed());
        if (align == alignments.cend()) return false;
        if (layout_ != nullptr) {
            if (name == "childalign") layout_->SetChildAlign(*align);
            else layout_->SetChildVAlign(*align);
        }
        return true;
    }
    return CControlUI::SetAttribute(name, value);
}

CHorizontalLayoutUI::CHorizontalLayoutUI() : CContainerUI(nullptr, BoxLayout::Direction::Horizontal) {}
QString CHorizontalLayoutUI::GetClass() const { return "HorizontalLayout"; }

CVerticalLayoutUI::CVerticalLayoutUI() : CContainerUI(nullptr, BoxLayout::Direction::Vertical) {}
QString CVerticalLayoutUI::GetClass() const { return "VerticalLayout"; }

namespace {

class StackWidget : public ControlWidget<QStackedWidget> {};

}  // namespace

CTabLayoutUI::CTabLayoutUI() : CContainerUI(new StackWidget, BoxLayout::Direction::Overlay) {}

QString CTabLayoutUI::GetClass() const { return "TabLayout"; }

QStackedWidget* CTabLayoutUI::Stack() const { return static_cast<QStackedWidget*>(GetWidget()); }

void CTabLayoutUI::InsertChildWidget(int index, CControlUI* control) {
    if (control->GetWidget() == nullptr) return;
    Stack()->insertWidget(index, control->GetWidget());
    if (Stack()->count() > pendingSelection_) Stack()->setCurrentIndex(pendingSelection_);
}

void CTabLayoutUI::RemoveChildWidget(int index, CControlUI* control) {
    (void)index;
    if (control->GetWidget() != nullptr) Stack()->removeWidget(control->GetWidget());
}

int CTabLayoutUI::GetCurSel() const { return Stack()->count() == 0 ? -1 : Stack()->currentIndex(); }

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    pendingSelection_ = index;
    Stack()->setCurrentIndex(index);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

bool CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "selectedid") {
        const auto index = ParseInt(value);
        if (!index || *index < 0) return false;
        pendingSelection_ = *index;
        SelectItem(*index);
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui
