#include "profiles/panel/DeviceProfileUI.h"

#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/EditUI.h"

#include <vector>

namespace velnor7 {
namespace {

constexpr int kItemHeight = 30;

const char* const kTabNames[CDeviceProfileUI::kTabCount] = {
    "deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"};

// The tabs a device type does without (1 keyboard, 3 mouse pad, 7 headset; the mice have
// them all). The keyboard keeps its settings tab (4): its settings panel lives there. The
// headset's own two tabs (6, 7) are hidden in the layout and shown for the headset only.
std::vector<int> HiddenTabs(int typeCode) {
    switch (typeCode) {
    case 1: return {5};
    case 3:
    case 7: return {5, 3, 4, 2};
    default: return {};
    }
}

constexpr int kHeadsetType = 7;

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString CDeviceProfileUI::GetClass() const { return "DeviceProfileUI"; }

void CDeviceProfileUI::SetPaths(const std::string& userDirectory, const std::string& defaultProfilePath) {
    manager_ = std::make_unique<CProfileManager>(userDirectory, defaultProfilePath, typeCode_);
}

ui::CComboUI* CDeviceProfileUI::Combo() {
    return dynamic_cast<ui::CComboUI*>(FindSubControl("device_profile_combo"));
}

ui::CEditUI* CDeviceProfileUI::NameEdit() {
    return dynamic_cast<ui::CEditUI*>(FindSubControl("device_profile_name_edit"));
}

void CDeviceProfileUI::Init() {
    if (!manager_) return;
    FillCombo(manager_->SelectedIndex());
    if (GetSelection() >= 0) Select(GetSelection(), false);
    for (int n : HiddenTabs(typeCode_)) {
        if (ui::CControlUI* tab = FindSubControl(TabName(n))) tab->SetVisible(false);
    }
    if (typeCode_ == kHeadsetType) {
        for (int n : {6, 7}) {
            if (ui::CControlUI* tab = FindSubControl(TabName(n))) tab->SetVisible(true);
        }
    }
}

void CDeviceProfileUI::FillCombo(int selection) {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr || !manager_) return;
    combo->RemoveAll();
    for (const ProfileEntry& profile : manager_->Profiles()) {
        ui::CListLabelElementUI* item = combo->AddTextItem(Text(profile.name), Text(profile.name));
        item->SetFixedHeight(kItemHeight);
    }
    if (selection >= 0 && selection < combo->GetCount()) combo->SelectItem(selection, false);
}

int CDeviceProfileUI::GetSelection() {
    ui::CComboUI* combo = Combo();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

void CDeviceProfileUI::Select(int index, bool notify) {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr || !manager_ || index < 0 || index >= combo->GetCount()) return;
    combo->SelectItem(index, notify);
    SetNameEditText(combo->GetItemAt(index)->GetText());
    const ProfileResult selected = manager_->Select(static_cast<size_t>(index));
    if (selected.Ok()) currentUuid_ = selected.profile.uuid;
}

QString CDeviceProfileUI::GetNameEditText() {
    ui::CEditUI* edit = NameEdit();
    return edit != nullptr ? edit->GetText() : QString();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    if (ui::CEditUI* edit = NameEdit()) edit->SetText(text);
}

void CDeviceProfileUI::ShowMenu(bool show) {
    if (ui::CControlUI* menu = FindSubControl("profile_menu_layout")) menu->SetVisible(show);
}

bool CDeviceProfileUI::IsMenuVisible() {
    ui::CControlUI* menu = FindSubControl("profile_menu_layout");
    return menu != nullptr && menu->IsVisible();
}

ProfileResult CDeviceProfileUI::NoProfileSelected() const {
    ProfileResult result;
    result.status = ProfileStatus::NoSuchProfile;
    result.reason = manager_ ? "No profile is selected" : "The profiles of this device cannot be used";
    return result;
}

ProfileResult CDeviceProfileUI::Add() {
    if (!manager_) return NoProfileSelected();
    const ProfileResult added = manager_->Add();
    if (added.Ok()) FillCombo(GetSelection());
    return added;
}

ProfileResult CDeviceProfileUI::Copy() {
    const int selected = GetSelection();
    if (!manager_ || selected < 0) return NoProfileSelected();
    const ProfileResult copied = manager_->Copy(static_cast<size_t>(selected));
    if (copied.Ok()) FillCombo(selected);
    return copied;
}

ProfileResult CDeviceProfileUI::Delete() {
    const int selected = GetSelection();
    if (!manager_ || selected < 0) return NoProfileSelected();
    const ProfileResult deleted = manager_->Delete(static_cast<size_t>(selected));
    if (!deleted.Ok()) return deleted;
    // The deleted profile's file is gone: the page must switch to the one now selected.
    FillCombo(-1);
    Select(static_cast<int>(deleted.index), true);
    return deleted;
}

ProfileResult CDeviceProfileUI::Reset() {
    const int selected = GetSelection();
    if (!manager_ || selected < 0) return NoProfileSelected();
    return manager_->Reset(static_cast<size_t>(selected));
}

ProfileResult CDeviceProfileUI::Rename(const QString& name) {
    const int selected = GetSelection();
    if (!manager_ || selected < 0) return NoProfileSelected();
    const ProfileResult renamed = manager_->Rename(static_cast<size_t>(selected), name.toStdString());
    if (!renamed.Ok()) return renamed;
    FillCombo(selected);
    SetNameEditText(name);
    return renamed;
}

ProfileResult CDeviceProfileUI::Import(const QString& path) {
    if (!manager_) return NoProfileSelected();
    const ProfileResult imported = manager_->Import(path.toStdString());
    if (imported.Ok()) FillCombo(GetSelection());
    return imported;
}

ProfileResult CDeviceProfileUI::Export(const QString& path) {
    const int selected = GetSelection();
    if (!manager_ || selected < 0) return NoProfileSelected();
    // The save dialog asked before a file was chosen that exists.
    return manager_->Export(static_cast<size_t>(selected), path.toStdString(), true);
}

QString CDeviceProfileUI::TabName(int n) { return n >= 1 && n <= kTabCount ? kTabNames[n - 1] : QString(); }

int CDeviceProfileUI::TabOf(const QString& name) {
    for (int n = 1; n <= kTabCount; ++n) {
        if (name == kTabNames[n - 1]) return n;
    }
    return 0;
}

void CDeviceProfileUI::SelectTab(int n) {
    for (int tab = 1; tab <= kTabCount; ++tab) {
        if (auto* option = dynamic_cast<ui::COptionUI*>(FindSubControl(TabName(tab)))) option->Selected(tab == n, false);
    }
}

}  // namespace velnor7
