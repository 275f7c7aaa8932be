#include "shell/ProfileBarHandler.h"

#include "common/UserNotice.h"
#include "core/page/TessaryUSBDevice.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "shell/MainWnd.h"
#include "shell/ShowMessage.h"
#include "ui/ButtonUI.h"
#include "ui/FileDialogs.h"
#include "ui/ResourceManager.h"

namespace velnor7 {
namespace {

const char* const kProfileFilter = "Profile Files(*.json)";
constexpr int kSwitchDelayMs = 400;

}  // namespace

bool CProfileBarHandler::OnNotify(CTessaryUSBDevice& page, ui::TNotifyUI& msg) {
    CDeviceProfileUI* bar = page.ProfileBar();
    if (bar == nullptr || msg.pSender == nullptr) return false;
    if (msg.sType != "click" && msg.sType != "itemselect" && msg.sType != "selectchanged") return false;
    const QString name = msg.pSender->GetName();
    // Every page has a bar with these names: only the shown page's own controls count.
    if (bar->FindSubControl(name) != msg.pSender) return false;
    if (msg.sType == "click") {
        OnClick(page, *bar, name);
        return true;
    }
    if (msg.sType == "itemselect" && name == "device_profile_combo") {
        window_.SetTimer(CMainWnd::kTimerProfileSwitch, kSwitchDelayMs);
        return true;
    }
    if (msg.sType == "selectchanged" && CDeviceProfileUI::TabOf(name) != 0) {
        auto* option = dynamic_cast<ui::COptionUI*>(msg.pSender);
        // A click on the tab already shown deselects it: it stays shown.
        const int tab = option != nullptr && option->IsSelected() ? CDeviceProfileUI::TabOf(name) : page.GetFunctionTab();
        page.SetFunctionTab(tab);
        bar->SelectTab(tab);
        return true;
    }
    return false;
}

void CProfileBarHandler::OnClick(CTessaryUSBDevice& page, CDeviceProfileUI& bar, const QString& name) {
    if (name == "device_add_btn") {
        Told(bar.Add());
    } else if (name == "device_copy_btn") {
        Told(bar.Copy());
    } else if (name == "device_sub_btn") {
        Delete(bar);
    } else if (name == "device_reset_btn") {
        Reset(page, bar);
    } else if (name == "device_profile_edit_save_btn") {
        Rename(bar);
    } else if (name == "device_import_btn") {
        Import(bar);
    } else if (name == "device_export_btn") {
        Export(bar);
    } else if (name == "profile_fun_spread_btn") {
        bar.ShowMenu(!bar.IsMenuVisible());
    }
}

void CProfileBarHandler::Delete(CDeviceProfileUI& bar) {
    if (bar.GetSelection() < 0) return;
    // One click must not lose a profile: the user confirms.
    if (!Ask(MessageText("message_delete_profile", std::nullopt, bar.GetNameEditText()))) return;
    // The bar selects the profile before it and says so: the page switches to it.
    Told(bar.Delete());
}

void CProfileBarHandler::Rename(CDeviceProfileUI& bar) {
    const QString name = bar.GetNameEditText().trimmed();
    if (name.isEmpty()) return;
    const ProfileResult renamed = bar.Rename(name);
    if (renamed.status == ProfileStatus::NameInUse) {
        Tell("message_text_5");
        return;
    }
    Told(renamed);
}

void CProfileBarHandler::Reset(CTessaryUSBDevice& page, CDeviceProfileUI& bar) {
    if (bar.GetSelection() < 0) return;
    if (!Ask("message_text_22")) return;
    if (!Told(bar.Reset())) return;
    page.LoadProfile();
    page.RefreshPanel();
    page.WriteSettings(0, 0, 1, window_.ScreenWidth(), window_.ScreenHeight());
    if (auto* keyboard = dynamic_cast<CTessaryKeyboardDevice*>(&page)) {
        // The profile's key colours were loaded with it; the custom mode shows them.
        keyboard->WriteCustomColours();
        TellMacroWriteResult(window_, page.WriteMacros());
    } else {
        page.WriteMacros();
    }
    page.WriteKeyMapFromProfile(0);
    window_.SetPanelsIdle(false, true);
}

void CProfileBarHandler::Import(CDeviceProfileUI& bar) {
    if (bar.GetSelection() < 0) return;
    const QString title = ui::CResourceManager::Instance().TextOrSelf("profile_import_title");
    const auto path = ui::FileDialogs().OpenFile(window_.GetWidget(), title, kProfileFilter);
    if (!path || path->isEmpty()) return;
    Told(bar.Import(*path));
}

void CProfileBarHandler::Export(CDeviceProfileUI& bar) {
    if (bar.GetSelection() < 0) return;
    const QString title = ui::CResourceManager::Instance().TextOrSelf("profile_export_title");
    const auto path = ui::FileDialogs().SaveFile(window_.GetWidget(), title, kProfileFilter,
                                                 bar.GetNameEditText() + ".json", "json");
    if (!path || path->isEmpty()) return;
    Told(bar.Export(*path));
}

bool CProfileBarHandler::Ask(const QString& text) { return AskUser(window_, text); }

void CProfileBarHandler::Tell(const QString& text) { TellUser(window_, text); }

bool CProfileBarHandler::Told(const ProfileResult& result) {
    if (!result.Ok()) UserNotice(result.reason + ".");
    return result.Ok();
}

void CProfileBarHandler::SwitchProfile(CTessaryUSBDevice& page) {
    CDeviceProfileUI* bar = page.ProfileBar();
    if (bar == nullptr || bar->GetSelection() < 0) return;
    bar->Select(bar->GetSelection(), false);
    page.SetProfileId(bar->GetCurrentUuid());
    page.LoadProfile();
    page.RepairMacroAssignments();
    page.RefreshPanel();
    page.WriteSettings(0, 0, 1, window_.ScreenWidth(), window_.ScreenHeight());
    page.WriteMacros();
    page.WriteKeyMapFromProfile(0);
}

}  // namespace velnor7
