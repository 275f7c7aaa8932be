#pragma once
// A drop-down list of text items. "itemselect" follows the user's pick of another item.

#include "ui/ListUI.h"

class QComboBox;

namespace velnor7::ui {

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    QString GetClass() const override;

    int GetCurSel() const override;
    bool SelectItem(int index, bool notify = true) override;
    bool IsItemSelected(int index) const override { return index >= 0 && index == GetCurSel(); }
    void ItemTextChanged(CControlUI* item) override;
    // The shown text is the selected item's text.
    QString GetSelectedText() const;
    // A hidden item is neither listed in the drop-down nor reached with the keys or the wheel;
    // it can still be selected by the program.
    void SetItemVisible(int index, bool visible);
    bool IsItemVisible(int index) const;
    // Adds a text item with user data; returns it.
    CListLabelElementUI* AddTextItem(const QString& text, const QString& userData = {});
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void InsertChildWidget(int index, CControlUI* control) override;
    void RemoveChildWidget(int index, CControlUI* control) override;

private:
    QComboBox* Combo() const;
    bool changing_ = false;
    int lastSelection_ = -1;
    int initialSelection_ = -1;  // "selectedid": taken when that item arrives
};

}  // namespace velnor7::ui
