#include "ui/ListUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"
#include "ui/PaintManagerUI.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace velnor7::ui {

int IListItemUI::GetIndex() const {
    const auto* list = dynamic_cast<const CContainerUI*>(dynamic_cast<const CControlUI*>(owner_));
    return list != nullptr ? list->GetItemIndex(Self()) : -1;
}

bool IListItemUI::IsSelected() const { return owner_ != nullptr && owner_->IsItemSelected(GetIndex()); }

bool IListItemUI::Select(bool notify) { return owner_ != nullptr && owner_->SelectItem(GetIndex(), notify); }

CListLabelElementUI::CListLabelElementUI() {
    // Room between the row's edge and its text.
    GetWidget()->setContentsMargins(10, 0, 10, 0);
}

QString CListLabelElementUI::GetClass() const { return "ListLabelElement"; }

void CListLabelElementUI::ShowText(const QString& text) {
    CLabelUI::ShowText(text);
    if (GetOwner() != nullptr) GetOwner()->ItemTextChanged(this);
}

QString CListTextElementUI::GetClass() const { return "ListTextElement"; }

QString CListContainerElementUI::GetClass() const { return "ListContainerElement"; }

namespace {

class ListWidget : public ControlWidget<QListWidget> {};

IListItemUI* AsItem(CControlUI* control) { return dynamic_cast<IListItemUI*>(control); }

// The view owns the widgets placed in its rows and deletes them with the row; an item's
// own widget sits in a holder, so the item keeps it when it moves or leaves the list.
QWidget* MakeHolder(QWidget* content) {
    auto* holder = new QWidget;
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    return holder;
}

}  // namespace

CListUI::CListUI() : CContainerUI(new ListWidget, BoxLayout::Direction::Overlay) {
    QListWidget* list = List();
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this] { OnSelectionChanged(); });
    QObject::connect(list, &QListWidget::itemClicked, list, [this](QListWidgetItem* item) {
        if (CControlUI* element = GetItemAt(List()->row(item))) element->SendNotify("itemclick");
    });
    QObject::connect(list, &QListWidget::itemActivated, list, [this](QListWidgetItem* item) {
        if (CControlUI* element = GetItemAt(List()->row(item))) element->SendNotify("itemactivate");
    });
    QObject::connect(list, &QListWidget::customContextMenuRequested, list, [this](const QPoint& point) {
        QListWidgetItem* item = List()->itemAt(point);
        CControlUI* sender = item != nullptr ? GetItemAt(List()->row(item)) : this;
        const QPoint global = List()->viewport()->mapToGlobal(point);
        sender->SendMenuNotify(global);
    });
}

QString CListUI::GetClass() const { return "List"; }

QListWidget* CListUI::List() const { return static_cast<QListWidget*>(GetWidget()); }

int CListUI::ItemHeight(const CControlUI* control) const {
    const int height = control->GetFixedHeight() > 0 ? control->GetFixedHeight() : itemHeight_;
    return GetManager() != nullptr ? GetManager()->Scale(height) : height;
}

void CListUI::InsertChildWidget(int index, CControlUI* control) {
    if (IListItemUI* item = AsItem(control)) item->SetOwner(this);
    auto* row = new QListWidgetItem;
    row->setSizeHint(QSize(0, ItemHeight(control)));
    changingSelection_ = true;
    List()->insertItem(index, row);
    if (control->GetWidget() != nullptr) {
        List()->setItemWidget(row, MakeHolder(control->GetWidget()));
        control->GetWidget()->setVisible(control->IsVisible());
    }
    changingSelection_ = false;
}

void CListUI::RemoveChildWidget(int index, CControlUI* control) {
    if (IListItemUI* item = AsItem(control)) item->SetOwner(nullptr);
    if (QWidget* widget = control->GetWidget()) {
        widget->hide();
        widget->setParent(nullptr);
    }
    changingSelection_ = true;
    delete List()->takeItem(index);
    changingSelection_ = false;
    lastSelection_ = GetCurSel();
}

bool CListUI::SetItemIndex(CControlUI* item, int newIndex) {
    const int oldIndex = GetItemIndex(item);
    if (oldIndex < 0 || newIndex < 0 || newIndex >= GetCount()) return false;
    if (oldIndex == newIndex) return true;
    const bool wasSelected = IsItemSelected(oldIndex);
    if (!Remove(item, true)) return false;
    AddAt(item, newIndex);
    if (wasSelected) SelectMultiItem(newIndex, false);
    return true;
}

void CListUI::EnsureVisible(int index) {
    if (QListWidgetItem* item = List()->item(index)) List()->scrollToItem(item);
}

int CListUI::GetCurSel() const {
    const QList<QListWidgetItem*> selected = List()->selectedItems();
    if (selected.isEmpty()) return -1;
    return List()->row(selected.front());
}

bool CListUI::IsItemSelected(int index) const {
    const QListWidgetItem* row = List()->item(index);
    return row != nullptr && row->isSelected();
}

std::vector<int> CListUI::GetSelectedItems() const {
    std::vector<int> rows;
    for (int i = 0; i < List()->count(); ++i) {
        if (List()->item(i)->isSelected()) rows.push_back(i);
    }
    return rows;
}

bool CListUI::SelectItem(int index, bool notify) {
    if (index >= GetCount() || index < -1) return false;
    const int old = GetCurSel();
    changingSelection_ = true;
    List()->clearSelection();
    if (index >= 0) {
        List()->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        List()->scrollToItem(List()->item(index));
    }
    changingSelection_ = false;
    lastSelection_ = index;
    if (notify && old != index) SendNotify("itemselect", static_cast<std::uintptr_t>(index), old);
    return true;
}

bool CListUI::SelectMultiItem(int index, bool notify) {
    if (List()->selectionMode() == QAbstractItemView::SingleSelection) return SelectItem(index, notify);
    QListWidgetItem* row = List()->item(index);
    if (row == nullptr) return false;
    const int old = GetCurSel();
    changingSelection_ = true;
    row->setSelected(true);
    changingSelection_ = false;
    lastSelection_ = GetCurSel();
    if (notify) SendNotify("itemselect", static_cast<std::uintptr_t>(index), old);
    return true;
}

void CListUI::SetMultiSelect(bool multi) {
    List()->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void CListUI::OnSelectionChanged() {
    if (changingSelection_) return;
    const int old = lastSelection_;
    const int current = List()->currentRow() >= 0 && IsItemSelected(List()->currentRow()) ? List()->currentRow()
                                                                                          : GetCurSel();
    lastSelection_ = current;
    SendNotify("itemselect", static_cast<std::uintptr_t>(current), old);
}

void CListUI::ItemTextChanged(CControlUI* item) { (void)item; }

bool CListUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "multiselect") return ApplyParsed(value, ParseBool, [&](bool multi) { SetMultiSelect(multi); });
    if (name == "itemheight") {
        const auto height = ParseInt(value);
        if (!height || *height <= 0) return false;
        itemHeight_ = *height;
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui
