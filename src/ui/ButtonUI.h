#pragma once
// Push buttons with state images, and options: buttons that stay selected, alone or in a
// group of which one is selected at a time. Both can bring a page of a tab layout into view.

#include "ui/ControlUI.h"

class QPushButton;

namespace velnor7::ui {

class CButtonUI : public CControlUI {
public:
    CButtonUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // A click: notifies "click" and shows the bound tab page.
    bool Activate() override;

    // Images are a path or "file='path' corner='l,t,r,b'".
    void SetNormalImage(const QString& image) { SetStateImage(State::Normal, image); }
    void SetHotImage(const QString& image) { SetStateImage(State::Hot, image); }
    void SetPushedImage(const QString& image) { SetStateImage(State::Pushed, image); }
    void SetDisabledImage(const QString& image) { SetStateImage(State::Disabled, image); }
    void SetForeImage(const QString& image) { SetStateImage(State::Fore, image); }
    void SetHotForeImage(const QString& image) { SetStateImage(State::HotFore, image); }
    QString GetNormalImage() const { return images_[static_cast<int>(State::Normal)]; }
    QString GetForeImage() const { return images_[static_cast<int>(State::Fore)]; }

    void BindTabLayoutName(const QString& layoutName);
    void BindTabIndex(int index);
    const QString& GetBindTabLayoutName() const { return bindTabLayout_; }
    int GetBindTabLayoutIndex() const { return bindTabIndex_; }
    // Brings the bound tab page into view; false when there is no binding or no such layout.
    bool BindTriggerTabSel();

    bool OnWidgetEvent(QEvent* event) override;

protected:
    enum class State { Normal, Hot, Pushed, Disabled, Fore, HotFore, Selected, SelectedHot, SelectedPushed, SelectedFore, Count };
    explicit CButtonUI(QPushButton* widget);
    QPushButton* Button() const;
    void SetStateImage(State state, const QString& image);
    const QString& StateImage(State state) const { return images_[static_cast<int>(state)]; }
    void ShowText(const QString& text) override;
    QString StateStyle(const QString& self) const override;
    // What a user's click does (the button and the option differ).
    virtual void OnUserClick();

private:
    QString images_[static_cast<int>(State::Count)];
    QColor hotTextColour_;
    QColor pushedTextColour_;
    QColor selectedTextColour_;
    QString textAlign_;
    QString bindTabLayout_;
    int bindTabIndex_ = -1;
};

class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    bool IsSelected() const { return selected_; }
    // Selects or deselects; selecting deselects the other options of the group.
    // Notifies "selectchanged" for every option whose state changed when `notify` is set.
    void Selected(bool selected, bool notify = true);
    void SetGroup(const QString& group);
    const QString& GetGroup() const { return group_; }

    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;

    void SetSelectedImage(const QString& image) { SetStateImage(State::Selected, image); }
    void SetSelectedHotImage(const QString& image) { SetStateImage(State::SelectedHot, image); }

private:
    bool selected_ = false;
    QString group_;
};

}  // namespace velnor7::ui
