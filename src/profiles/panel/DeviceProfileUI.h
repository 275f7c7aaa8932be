#pragma once
// The profile bar of a device page: the kind's profiles in a combo box with the selected
// one's name, the menu of profile operations, and the page's function tabs. It keeps the
// combo in step with the profile list (by position) and does the operations through
// CProfileManager; the main window routes the bar's clicks and the combo's pick to it.

#include "profiles/ProfileManager.h"
#include "ui/ContainerUI.h"

#include <QString>

#include <memory>
#include <string>

namespace velnor7 {

namespace ui {
class CComboUI;
class CEditUI;
}  // namespace ui

class CDeviceProfileUI : public ui::CHorizontalLayoutUI {
public:
    static constexpr int kTabCount = 7;

    QString GetClass() const override;

    // Set-up by the page, before Init.
    void SetKind(int typeCode) { typeCode_ = typeCode; }
    void SetPaths(const std::string& userDirectory, const std::string& defaultProfilePath);
    // Reads the list (making the first profile on a first start), fills the combo, selects
    // "profileselect" and hides the tabs the kind does not have.
    void Init();

    // The combo's selection, or -1.
    int GetSelection();
    // Selects the combo item and makes it the list's selection; the name edit shows it.
    void Select(int index, bool notify);
    const std::string& GetCurrentUuid() const { return currentUuid_; }
    QString GetNameEditText();
    void SetNameEditText(const QString& text);
    void ShowMenu(bool show);
    bool IsMenuVisible();

    // The operations on the selected profile (Add and Import on the list). The combo follows
    // the list; its selection stays where it was, except that Delete selects the profile
    // before the deleted one and tells so with "itemselect".
    ProfileResult Add();
    ProfileResult Copy();
    ProfileResult Delete();
    ProfileResult Reset();
    ProfileResult Rename(const QString& name);
    ProfileResult Import(const QString& path);
    ProfileResult Export(const QString& path);

    // Selects function tab n (1..7) without a notification; any other n deselects all.
    void SelectTab(int n);
    static QString TabName(int n);
    // The tab n of a tab option's name; 0 for another name.
    static int TabOf(const QString& name);

private:
    ui::CComboUI* Combo();
    ui::CEditUI* NameEdit();
    // The combo made anew from the list, selecting `selection` without a notification.
    void FillCombo(int selection);
    ProfileResult NoProfileSelected() const;

    int typeCode_ = 0;
    std::unique_ptr<CProfileManager> manager_;
    std::string currentUuid_;
};

}  // namespace velnor7
