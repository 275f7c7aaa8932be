#include "ui/ComboUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QComboBox>
#include <QListView>
#include <QStandardItemModel>

namespace velnor7::ui {

namespace {

class ComboWidget : public ControlWidget<QComboBox> {};

}  // namespace

CComboUI::CComboUI() : CContainerUI(new ComboWidget, BoxLayout::Direction::Overlay) {
    Combo()->setCursor(Qt::PointingHandCursor);
    QObject::connect(Combo(), &QComboBox::activated, Combo(), [this](int index) {
        if (changing_ || index == lastSelection_) return;
        const int old = lastSelection_;
        lastSelection_ = index;
        SendNotify("itemselect", static_cast<std::uintptr_t>(index), old);
    });
}

QString CComboUI::GetClass() const { return "Combo"; }

QComboBox* CComboUI::Combo() const { return static_cast<QComboBox*>(GetWidget()); }

void CComboUI::InsertChildWidget(int index, CControlUI* control) {
    if (auto* item = dynamic_cast<IListItemUI*>(control)) item->SetOwner(this);
    // Items show in the drop-down, not as widgets of their own.
    if (QWidget* widget = control->GetWidget()) widget->hide();
    changing_ = true;
    Combo()->insertItem(index, control->GetText());
    if (index == initialSelection_) {
        initialSelection_ = -1;
        Combo()->setCurrentIndex(index);
        lastSelection_ = index;
    }
    if (lastSelection_ < 0 && Combo()->currentIndex() >= 0) {
        // A combo shows nothing until something is selected.
        Combo()->setCurrentIndex(-1);
    } else if (lastSelection_ >= index && lastSelection_ >= 0) {
        ++lastSelection_;
    }
    changing_ = false;
}

void CComboUI::RemoveChildWidget(int index, CControlUI* control) {
    if (auto* item = dynamic_cast<IListItemUI*>(control)) item->SetOwner(nullptr);
    changing_ = true;
    Combo()->removeItem(index);
    changing_ = false;
    lastSelection_ = Combo()->currentIndex();
}

int CComboUI::GetCurSel() const { return Combo()->currentIndex(); }

bool CComboUI::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) return false;
    const int old = GetCurSel();
    if (index == old) return true;
    changing_ = true;
    Combo()->setCurrentIndex(index);
    changing_ = false;
    lastSelection_ = index;
    if (notify) SendNotify("itemselect", static_cast<std::uintptr_t>(index), old);
    return true;
}

void CComboUI::ItemTextChanged(CControlUI* item) {
    const int index = GetItemIndex(item);
    if (index >= 0) Combo()->setItemText(index, item->GetText());
}

void CComboUI::SetItemVisible(int index, bool visible) {
    auto* model = qobject_cast<QStandardItemModel*>(Combo()->model());
    auto* view = qobject_cast<QListView*>(Combo()->view());
    if (model == nullptr || view == nullptr || index < 0 || index >= model->rowCount()) return;
    view->setRowHidden(index, !visible);
    // The keys and the wheel skip disabled items.
    model->item(index)->setEnabled(visible);
}

bool CComboUI::IsItemVisible(int index) const {
    const auto* model = qobject_cast<QStandardItemModel*>(Combo()->model());
    return model != nullptr && index >= 0 && index < model->rowCount() && model->item(index)->isEnabled();
}

QString CComboUI::GetSelectedText() const { return Combo()->currentText(); }

bool CComboUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "selectedid") {
        const auto index = ParseInt(value);
        if (!index || *index < 0) return false;
        if (!SelectItem(*index, false)) initialSelection_ = *index;
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

CListLabelElementUI* CComboUI::AddTextItem(const QString& text, const QString& userData) {
    auto* item = new CListLabelElementUI;
    item->SetText(text);
    item->SetUserData(userData);
    return Add(item) ? item : nullptr;
}

}  // namespace velnor7::ui
