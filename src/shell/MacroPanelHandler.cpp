#include "shell/MacroPanelHandler.h"

#include "common/Trace.h"
#include "common/UserNotice.h"
#include "core/page/TessaryUSBDevice.h"
#include "keyboard/MacroAssignments.h"
#include "macros/panel/MacroControlUI.h"
#include "shell/MainWnd.h"
#include "shell/ShowMessage.h"
#include "ui/FileDialogs.h"
#include "ui/MenuUI.h"
#include "ui/ResourceManager.h"

#include <QMenu>

#include <array>

namespace velnor7 {

namespace {

namespace msg = input_message;

const char* const kMacroFilter = "Macro Files(*.mac)";
const char* const kRowMenuFile = "XML/Menus/macro_action_menu.xml";

// The row menu's mouse button items: the message and variant of InsertMouseAction, and
// whether the item is a whole click (press, then release).
struct ButtonItem {
    const char* name;
    unsigned message;
    int variant;
    bool click;
};
constexpr std::array<ButtonItem, 15> kButtonItems{{
    {"left_down", msg::kLeftDown, 0, false},      {"left_up", msg::kLeftUp, 0, false},
    {"right_down", msg::kRightDown, 0, false},    {"right_up", msg::kRightUp, 0, false},
    {"middle_down", msg::kMiddleDown, 0, false},  {"middle_up", msg::kMiddleUp, 0, false},
    {"forward_down", msg::kXButtonDown, 1, false}, {"forward_up", msg::kXButtonUp, 1, false},
    {"back_down", msg::kXButtonDown, 0, false},   {"back_up", msg::kXButtonUp, 0, false},
    {"left_click", msg::kLeftDown, 0, true},      {"right_click", msg::kRightDown, 0, true},
    {"middle_click", msg::kMiddleDown, 0, true},  {"forward_click", msg::kXButtonDown, 1, true},
    {"back_click", msg::kXButtonDown, 0, true},
}};

// The release message of a press message.
unsigned ReleaseOf(unsigned press) { return press + 1; }

// The recording items of the row menu: placement mode, and the time mode (none: as chosen).
struct RecordItem {
    const char* name;
    int mode;
    int timeMode;  // 0: the panel's choice between measured and constant
};
constexpr std::array<RecordItem, 7> kRecordItems{{
    {"redio_previous_record_time", CDeviceHook::kMacroBefore, 0},
    {"redio_previous_constant_time", CDeviceHook::kMacroBefore, 2},
    {"redio_previous_ignore_time", CDeviceHook::kMacroBefore, 3},
    {"redio_later_record_time", CDeviceHook::kMacroAfter, 0},
    {"redio_later_constant_time", CDeviceHook::kMacroAfter, 2},
    {"redio_later_ignore_time", CDeviceHook::kMacroAfter, 3},
    {"macro_action_edit", CDeviceHook::kMacroReplace, 3},
}};

// The row operations of the buttons; each is saved at once.
struct RowButton {
    const char* name;
    void (CMacroControlUI::*operation)();
};
constexpr std::array<RowButton, 6> kRowButtons{{
    {"macro_btn_up", &CMacroControlUI::MoveUp},
    {"macro_btn_down", &CMacroControlUI::MoveDown},
    {"macro_btn_uptop", &CMacroControlUI::MoveToTop},
    {"macro_btn_downbottom", &CMacroControlUI::MoveToBottom},
    {"macro_btn_delete", &CMacroControlUI::DeleteRow},
    {"macro_btn_deleteall", &CMacroControlUI::DeleteAllRows},
}};

constexpr std::array<const char*, 4> kMoveButtons{"macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
                                                  "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};

// The message of each capture message: whether it carries a key, and where its event goes.
struct HookRoute {
    bool key;
    EventPlacement placement;
};

std::optional<HookRoute> RouteOf(unsigned id) {
    const HookMessages& m = HookMessages::Get();
    const std::array<std::pair<unsigned, HookRoute>, 8> routes{{
        {m.keyMacro, {true, EventPlacement::Append}},
        {m.keyMacroPrevious, {true, EventPlacement::Before}},
        {m.keyMacroLater, {true, EventPlacement::After}},
        {m.keyMacroSingle, {true, EventPlacement::Replace}},
        {m.mouseMacro, {false, EventPlacement::Append}},
        {m.mouseMacroPrevious, {false, EventPlacement::Before}},
        {m.mouseMacroLater, {false, EventPlacement::After}},
        {m.mouseMacroSingle, {false, EventPlacement::Replace}},
    }};
    for (const auto& [message, route] : routes) {
        if (message == id) return route;
    }
    return std::nullopt;
}

bool OwnedBy(const ui::CControlUI* control, const ui::CControlUI* owner) {
    for (; control != nullptr; control = control->GetParent()) {
        if (control == owner) return true;
    }
    return false;
}

}  // namespace

CMacroPanelHandler::CMacroPanelHandler(CMainWnd& window) : window_(window), hook_(std::make_unique<CDeviceHook>()) {}

CMacroPanelHandler::~CMacroPanelHandler() {
    if (rowMenu_) rowMenu_->close();
}

CMacroControlUI* CMacroPanelHandler::ShownPanel() {
    CTessaryUSBDevice* page = window_.SelectedPage();
    return page != nullptr ? page->MacroPanel() : nullptr;
}

bool CMacroPanelHandler::OnNotify(CTessaryUSBDevice& page, ui::TNotifyUI& msg) {
    CMacroControlUI* panel = page.MacroPanel();
    if (panel == nullptr || !OwnedBy(msg.pSender, panel)) return false;
    const QString name = msg.pSender->GetName();
    if (msg.sType == "click") {
        OnClick(page, *panel, name);
    } else if (msg.sType == "itemselect" && name == "macro_name_list") {
        panel->LoadMacroEvents();
    } else if (msg.sType == "killfocus" && name == "macro_delay") {
        panel->SaveMacro();
    } else if (msg.sType == "menu" && name == "macro_action") {
        OpenRowMenu(msg.lParam);
    } else {
        return false;
    }
    return true;
}

void CMacroPanelHandler::OnClick(CTessaryUSBDevice& page, CMacroControlUI& panel, const QString& name) {
    for (const RowButton& button : kRowButtons) {
        if (name == QLatin1String(button.name)) {
            (panel.*button.operation)();
            panel.SaveMacro();
            return;
        }
    }
    for (size_t variant = 0; variant < kMoveButtons.size(); ++variant) {
        if (name == QLatin1String(kMoveButtons[variant])) {
            panel.InsertMouseAction(msg::kMouseMove, static_cast<int>(variant));
            panel.SaveMacro();
            return;
        }
    }
    if (name == "macro_btn_starredio") {
        StartRecordingWith(ChosenTimeMode(panel), CDeviceHook::kMacroAppend);
    } else if (name == "macro_btn_stopredio") {
        StopRecording();
    } else if (name == "macro_btn_name_add") {
        AddMacro(page, panel);
    } else if (name == "macro_btn_name_sub") {
        DeleteMacro(page, panel);
    } else if (name == "macro_btn_name_edit") {
        RenameMacro(page, panel);
    } else if (name == "macro_btn_save") {
        panel.SaveMacro();
    } else if (name == "macro_btn_write") {
        WriteMacros(page, panel);
    } else if (name == "macro_btn_cancel") {
        panel.LoadMacroEvents();
    } else if (name == "macro_btn_import") {
        ImportMacro(page, panel);
    } else if (name == "macro_btn_export") {
        ExportMacro(panel);
    }
}

RecordTimeMode CMacroPanelHandler::ChosenTimeMode(CMacroControlUI& panel) {
    return panel.IsConstantTime() ? RecordTimeMode::Constant : RecordTimeMode::Measured;
}

void CMacroPanelHandler::OnMenuItem(const QString& name) {
    CMacroControlUI* panel = ShownPanel();
    if (panel == nullptr) return;
    for (const ButtonItem& item : kButtonItems) {
        if (name != QLatin1String(item.name)) continue;
        panel->InsertMouseAction(item.message, item.variant);
        if (item.click) panel->InsertMouseAction(ReleaseOf(item.message), item.variant);
        panel->SaveMacro();
        return;
    }
    for (const RecordItem& item : kRecordItems) {
        if (name != QLatin1String(item.name)) continue;
        const RecordTimeMode timeMode =
            item.timeMode == 0 ? ChosenTimeMode(*panel) : static_cast<RecordTimeMode>(item.timeMode);
        StartRecordingWith(timeMode, item.mode);
        return;
    }
}

void CMacroPanelHandler::OpenRowMenu(std::intptr_t screenPoint) {
    if (rowMenu_) rowMenu_->close();
    const QPoint at(static_cast<int16_t>(screenPoint & 0xFFFF), static_cast<int16_t>((screenPoint >> 16) & 0xFFFF));
    rowMenu_ = ui::CMenuUI::Popup(window_.GetHWND(), kRowMenuFile, at, kMsgRowMenu);
}

bool CMacroPanelHandler::OnHookMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) {
    if (id == HookMessages::Get().keySingleKey) {
        CTessaryUSBDevice* page = window_.SelectedPage();
        if (page != nullptr && lParam != 0) {
            const auto& key = *reinterpret_cast<const HookKeyRecord*>(lParam);
            page->OnCapturedKey(wParam == msg::kKeyDown || wParam == msg::kSystemKeyDown, key.scanCode, key.extended);
        }
        return true;
    }
    const std::optional<HookRoute> route = RouteOf(id);
    if (!route) return false;
    if (id == HookMessages::Get().mouseMacro) Trace("WM_HOOK_KEY_MSMACRO");
    CMacroControlUI* panel = ShownPanel();
    if (panel == nullptr || lParam == 0) return true;
    const auto message = static_cast<unsigned>(wParam);
    if (route->key) {
        panel->OnRecordedKey(route->placement, message, *reinterpret_cast<const HookKeyRecord*>(lParam));
    } else {
        panel->OnRecordedButton(route->placement, message, *reinterpret_cast<const HookMouseRecord*>(lParam));
    }
    return true;
}

void CMacroPanelHandler::OnKeyCaptureRequest(bool install) {
    if (!install) {
        hook_->RemoveHooks();
    } else if (!hook_->InstallHooks(0, CDeviceHook::kSingleKey, window_.GetHWND(), true, true)) {
        UserNotice("No key can be captured: " + hook_->LastProblem() + ".");
    }
}

bool CMacroPanelHandler::SetRecording(int mode, bool on, bool keyboardHook, bool mouseHook) {
    bool started = true;
    if (on) {
        started = hook_->InstallHooks(0, mode, window_.GetHWND(), keyboardHook, mouseHook);
    } else {
        hook_->RemoveHooks();
    }
    if (!started) {
        TellUser(window_, MessageText("macro_capture_failed", std::nullopt, QString::fromStdString(hook_->LastProblem())));
    }
    window_.SetPanelsIdle(true, !(on && started));
    return started;
}

void CMacroPanelHandler::StartRecordingWith(RecordTimeMode timeMode, int mode) {
    CMacroControlUI* panel = ShownPanel();
    if (panel == nullptr || panel->IsRecording()) return;
    panel->StartRecording(timeMode);
    if (!SetRecording(mode, true, true, true)) {
        panel->StopRecording();
        return;
    }
    panel->SetCaptureWindowOnly(!hook_->Global());
}

void CMacroPanelHandler::StopRecording() {
    CMacroControlUI* panel = ShownPanel();
    if (panel == nullptr || !panel->IsRecording()) return;
    panel->StopRecording();
    SetRecording(CDeviceHook::kMacroAppend, false, true, true);
    panel->SaveMacro();
}

void CMacroPanelHandler::AddMacro(CTessaryUSBDevice& page, CMacroControlUI& panel) {
    if (panel.AddMacro().isEmpty()) {
        UserNotice(panel.MacroNames().size() >= static_cast<int>(kMaxMacros)
                       ? "There are " + std::to_string(kMaxMacros) + " macros already, the most the list holds."
                       : std::string("The macro could not be added."));
        return;
    }
    page.LoadLists();
}

void CMacroPanelHandler::DeleteMacro(CTessaryUSBDevice& page, CMacroControlUI& panel) {
    if (!AskUser(window_, "message_text_4")) return;
    const int deleted = panel.SelectedMacro();
    if (deleted < 0) return;
    std::vector<KeyListEntry> keys = page.KeyAssignments();
    if (!KeysPlayingMacro(keys, deleted).empty() && !AskUser(window_, "message_text_2")) return;
    const bool changed = ForgetDeletedMacro(keys, deleted);
    if (panel.DeleteMacro() < 0) return;
    // The macro file is gone: from here on the key map follows the list that remains.
    if (changed) page.StoreKeyAssignments(keys);
    page.LoadLists();
    if (!changed) return;
    page.RefreshPanel();
    if (TellMacroWriteResult(window_, page.WriteMacros())) {
        page.WriteKeyMapFromProfile(0);
        page.SaveProfile();
    }
}

void CMacroPanelHandler::WriteMacros(CTessaryUSBDevice& page, CMacroControlUI& panel) {
    panel.SaveMacro();
    if (TellMacroWriteResult(window_, page.WriteMacros())) window_.ShowNotice(MessageText("macro_written"));
}

void CMacroPanelHandler::RenameMacro(CTessaryUSBDevice& page, CMacroControlUI& panel) {
    int index = -1;
    const QString name = panel.RenameMacro(index);
    // Refused: the edit is empty, or another macro has the name.
    if (index < 0) {
        if (panel.SelectedMacro() >= 0) TellUser(window_, "message_text_5");
        return;
    }
    page.LoadLists();
    page.RefreshPanel();
}

void CMacroPanelHandler::ImportMacro(CTessaryUSBDevice& page, CMacroControlUI& panel) {
    const QString title = ui::CResourceManager::Instance().TextOrSelf("macro_import");
    const auto path = ui::FileDialogs().OpenFile(window_.GetWidget(), title, kMacroFilter);
    if (!path || path->isEmpty()) return;
    if (!panel.ImportMacro(*path)) {
        UserNotice("The macro " + path->toStdString() + " could not be imported.");
        return;
    }
    page.LoadLists();
}

void CMacroPanelHandler::ExportMacro(CMacroControlUI& panel) {
    const int selected = panel.SelectedMacro();
    if (selected < 0) return;
    const QString title = ui::CResourceManager::Instance().TextOrSelf("macro_export");
    const auto path = ui::FileDialogs().SaveFile(window_.GetWidget(), title, kMacroFilter,
                                                 panel.MacroNames()[selected] + ".mac", "mac");
    if (!path || path->isEmpty()) return;
    if (!panel.SaveMacro() || !panel.ExportMacro(*path)) {
        UserNotice("The macro could not be exported to " + path->toStdString() + ".");
    }
}

}  // namespace velnor7
