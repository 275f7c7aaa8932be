#pragma once
// Lists and their items. A list holds text items (ListLabelElement, ListTextElement) and
// items made of other controls (ListContainerElement); combos hold text items. Every item
// is a control of its own, with its text and user data.

#include "ui/ContainerUI.h"
#include "ui/LabelUI.h"

class QListWidget;
class QListWidgetItem;

namespace velnor7::ui {

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool notify = true) = 0;
    virtual bool IsItemSelected(int index) const = 0;
    // An item's text changed; the owner shows it again.
    virtual void ItemTextChanged(CControlUI* item) = 0;
};

// What every list item knows: its owner and its place.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    void SetOwner(IListOwnerUI* owner) { owner_ = owner; }
    IListOwnerUI* GetOwner() const { return owner_; }
    int GetIndex() const;
    bool IsSelected() const;
    bool Select(bool notify = true);

protected:
    virtual const CControlUI* Self() const = 0;

private:
    IListOwnerUI* owner_ = nullptr;
};

class CListLabelElementUI : public CLabelUI, public IListItemUI {
public:
    CListLabelElementUI();
    QString GetClass() const override;

protected:
    void ShowText(const QString& text) override;
    const CControlUI* Self() const override { return this; }
};

class CListTextElementUI : public CListLabelElementUI {
public:
    QString GetClass() const override;
};

// A row made of controls, laid out in a row.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    QString GetClass() const override;

protected:
    const CControlUI* Self() const override { return this; }
};

class CListUI : public CContainerUI, public IListOwnerUI {
public:
    CListUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    int GetCurSel() const override;
    // Selects one item (and only it); -1 clears the selection. "itemselect" when `notify`
    // is set and the selection changed.
    bool SelectItem(int index, bool notify = true) override;
    bool IsItemSelected(int index) const override;
    // Scrolls so that the row at `index` is in view.
    void EnsureVisible(int index);
    // Several selected items (with Ctrl or Shift) when the list allows it.
    void SetMultiSelect(bool multi);
    bool SelectMultiItem(int index, bool notify = true);
    std::vector<int> GetSelectedItems() const;
    void ItemTextChanged(CControlUI* item) override;
    // Moves an item to another place, keeping it (and its selection).
    bool SetItemIndex(CControlUI* item, int newIndex);

protected:
    void InsertChildWidget(int index, CControlUI* control) override;
    void RemoveChildWidget(int index, CControlUI* control) override;

private:
    QListWidget* List() const;
    int ItemHeight(const CControlUI* control) const;
    void OnSelectionChanged();

    int itemHeight_ = 30;
    int lastSelection_ = -1;
    bool changingSelection_ = false;
};

}  // namespace velnor7::ui
