#pragma once
// Controls that hold other controls: the plain container (children on top of each other),
// rows, columns and tab layouts. A container owns its children.

#include "ui/BoxLayout.h"
#include "ui/ControlUI.h"

#include <vector>

class QStackedWidget;

namespace velnor7::ui {

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    QString GetClass() const override;

    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;
    // Takes ownership. False (and the control deleted) when it cannot be added.
    bool Add(CControlUI* control);
    bool AddAt(CControlUI* control, int index);
    // Deletes the control unless `keep` is set, in which case the caller owns it again.
    bool Remove(CControlUI* control, bool keep = false);
    bool RemoveAt(int index, bool keep = false);
    void RemoveAll();

    CControlUI* FindSubControl(const QString& name);

    void SetInset(const QMargins& inset);
    void SetChildPadding(int padding);

    bool SetAttribute(const QString& name, const QString& value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;

protected:
    // Containers whose widget is not a plain box (tabs, lists, combos) place and take
    // child widgets themselves.
    explicit CContainerUI(QWidget* widget, BoxLayout::Direction direction);
    virtual void InsertChildWidget(int index, CControlUI* control);
    virtual void RemoveChildWidget(int index, CControlUI* control);
    void ChildrenForEach(const std::function<void(CControlUI*)>& visit) override;
    BoxLayout* Layout() const { return layout_; }
    void Relayout();

private:
    std::vector<CControlUI*> items_;
    BoxLayout* layout_ = nullptr;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI();
    QString GetClass() const override;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    CVerticalLayoutUI();
    QString GetClass() const override;
};

// One child shown at a time.
class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();
    QString GetClass() const override;
    int GetCurSel() const;
    bool SelectItem(int index);
    bool SelectItem(CControlUI* control);
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void InsertChildWidget(int index, CControlUI* control) override;
    void RemoveChildWidget(int index, CControlUI* control) override;

private:
    QStackedWidget* Stack() const;
    int pendingSelection_ = 0;
};

}  // namespace velnor7::ui
