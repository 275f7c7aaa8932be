#include "macros/panel/MacroControlUI.h"

#include "macros/panel/MacroEventNames.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ListUI.h"
#include "ui/PaintManagerUI.h"

#include <json/json.h>

#include <sstream>

namespace velnor7 {

namespace {

constexpr int kRowHeight = 30;

QString ToJsonText(const MacroEvent& event) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return QString::fromStdString(Json::writeString(writer, MacroEventToJson(event)));
}

MacroEvent FromJsonText(const QString& text) {
    Json::CharReaderBuilder reader;
    Json::Value object;
    std::string errors;
    std::istringstream input(text.toStdString());
    if (!Json::parseFromStream(reader, input, &object, &errors) || !object.isObject()) return {};
    return MacroEventFromJson(object);
}

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString CMacroControlUI::GetClass() const { return "MacroControl"; }

void CMacroControlUI::DoInit() { ShowListState(); }

void CMacroControlUI::SetUserDataDirectory(const std::filesystem::path& folder) {
    library_ = std::make_unique<MacroLibrary>(folder);
}

ui::CListUI* CMacroControlUI::NameList() { return dynamic_cast<ui::CListUI*>(FindSubControl("macro_name_list")); }

ui::CListUI* CMacroControlUI::ActionList() {
    return dynamic_cast<ui::CListUI*>(FindSubControl("macro_action_list"));
}

int CMacroControlUI::SelectedMacro() {
    ui::CListUI* list = NameList();
    return list != nullptr ? list->GetCurSel() : -1;
}

void CMacroControlUI::ShowListState() {
    ui::CListUI* list = NameList();
    const bool any = list != nullptr && list->GetCount() > 0;
    for (const char* name : {"macro_edit_macroname", "macro_btn_name_sub", "macro_btn_name_edit"}) {
        if (CControlUI* control = FindSubControl(name)) control->SetEnabled(any);
    }
    if (CControlUI* actions = FindSubControl("macro_action_layout")) actions->SetEnabled(any);
}

void CMacroControlUI::AddNameRow(const QString& name, const QString& guid) {
    ui::CListUI* list = NameList();
    if (list == nullptr) return;
    auto* row = new ui::CListLabelElementUI;
    row->SetFixedHeight(kRowHeight);
    row->SetText(name);
    row->SetUserData(guid);
    list->Add(row);
}

void CMacroControlUI::ListAddedMacro(const AddedMacro& added, bool notify) {
    const QString name = FromUtf8(added.name);
    AddNameRow(name, FromUtf8(library_->Macros()[added.index].guid));
    names_.append(name);
    ShowListState();
    NameList()->SelectItem(static_cast<int>(added.index), notify);
}

void CMacroControlUI::LoadMacroList() {
    ui::CListUI* list = NameList();
    if (!library_ || list == nullptr) return;
    library_->LoadList();
    list->RemoveAll();
    names_.clear();
    for (const MacroListEntry& macro : library_->Macros()) {
        AddNameRow(FromUtf8(macro.name), FromUtf8(macro.guid));
        names_.append(FromUtf8(macro.name));
    }
    ShowListState();
}

QString CMacroControlUI::AddMacro() {
    ui::CListUI* list = NameList();
    if (!library_ || list == nullptr || list->GetCount() >= static_cast<int>(kMaxMacros)) return {};
    const AddedMacro added = library_->AddMacro();
    if (added.status != MacroStatus::Ok) return {};
    ListAddedMacro(added, true);
    return FromUtf8(added.name);
}

int CMacroControlUI::DeleteMacro() {
    ui::CListUI* list = NameList();
    const int selected = SelectedMacro();
    if (!library_ || list == nullptr || selected < 0) return -1;
    if (library_->DeleteMacro(static_cast<size_t>(selected)) != MacroStatus::Ok) return -1;
    list->RemoveAt(selected);
    names_.removeAt(selected);
    if (ui::CListUI* actions = ActionList()) actions->RemoveAll();
    list->SelectItem(list->GetCount() > 0 ? 0 : -1);
    ShowListState();
    return selected;
}

QString CMacroControlUI::RenameMacro(int& index) {
    index = -1;
    ui::CListUI* list = NameList();
    auto* edit = dynamic_cast<ui::CEditUI*>(FindSubControl("macro_edit_macroname"));
    const int selected = SelectedMacro();
    if (!library_ || list == nullptr || edit == nullptr || selected < 0) return {};
    const QString name = edit->GetText();
    if (name.isEmpty()) return "IsEmpty";
    if (library_->RenameMacro(static_cast<size_t>(selected), name.toStdString()) != MacroStatus::Ok) return {};
    list->GetItemAt(selected)->SetText(name);
    names_[selected] = name;
    edit->SetText(QString());
    index = selected;
    return name;
}

void CMacroControlUI::InsertEventRow(const MacroEvent& event, int index) {
    ui::CListUI* actions = ActionList();
    if (actions == nullptr) return;
    auto* row = new ui::CListContainerElementUI;
    row->SetName("macro_action");
    row->SetFixedHeight(kRowHeight);
    row->SetAttribute("childvalign", "vcenter");
    row->SetUserData(ToJsonText(event));

    auto* name = new ui::CLabelUI;
    name->SetText(QString::fromStdString(MacroEventNameId(event)));
    name->SetPadding(QMargins(3, 0, 0, 0));
    name->SetTextColor(IsMouseEvent(event) ? QColor(0x2B, 0xB3, 0xFF) : QColor(0xE6, 0xE8, 0xEE));
    row->Add(name);

    auto* direction = new ui::CLabelUI;
    const bool move = event.type == kMacroHorizontalMove || event.type == kMacroVerticalMove;
    direction->SetText(move ? QString::number(event.button)
                            : event.action == kMacroActionDown ? "macro_action_down" : "macro_action_up");
    direction->SetTextColor(QColor(0x9A, 0xA0, 0xAC));
    row->Add(direction);

    auto* delay = new ui::CEditUI;
    delay->SetName("macro_delay");
    delay->SetFixedHeight(25);
    delay->SetFixedWidth(80);
    delay->SetMaxChar(6);
    delay->SetNumberOnly(true);
    delay->SetMinValue(0);
    delay->SetMaxValue(kMaxMacroDelay);
    delay->SetBkColor(QColor(0x44, 0x44, 0x44));
    delay->SetText(QString::number(event.delayMs));
    row->Add(delay);

    actions->AddAt(row, index < 0 || index > actions->GetCount() ? actions->GetCount() : index);
}

void CMacroControlUI::LoadMacroEvents() {
    ui::CListUI* actions = ActionList();
    const int selected = SelectedMacro();
    if (!library_ || actions == nullptr) return;
    actions->RemoveAll();
    if (selected < 0) return;
    for (const MacroEvent& event : library_->LoadMacroEvents(static_cast<size_t>(selected)).events) InsertEventRow(event);
}

std::vector<MacroEvent> CMacroControlUI::ShownEvents() {
    std::vector<MacroEvent> events;
    ui::CListUI* actions = ActionList();
    if (actions == nullptr) return events;
    for (int i = 0; i < actions->GetCount(); ++i) {
        ui::CControlUI* row = actions->GetItemAt(i);
        MacroEvent event = FromJsonText(row->GetUserData());
        if (auto* delay = dynamic_cast<ui::CEditUI*>(ui::CPaintManagerUI::FindSubControlByName(row, "macro_delay"))) {
            QString text = delay->GetText();
            if (text.isEmpty()) text = "0";
            event.delayMs = ParseMacroDelay(text.toStdString());
            delay->SetText(QString::number(event.delayMs));
        }
        row->SetUserData(ToJsonText(event));
        events.push_back(event);
    }
    return events;
}

bool CMacroControlUI::SaveMacro() {
    ui::CListUI* list = NameList();
    const int selected = SelectedMacro();
    if (!library_ || list == nullptr || selected < 0 || list->GetItemAt(selected)->GetUserData().isEmpty()) return false;
    return library_->SaveMacroEvents(static_cast<size_t>(selected), ShownEvents()) == MacroStatus::Ok;
}

bool CMacroControlUI::ExportMacro(const QString& path) {
    const int selected = SelectedMacro();
    if (!library_ || path.isEmpty() || selected < 0) return false;
    return library_->ExportMacro(static_cast<size_t>(selected), path.toStdString()) == MacroStatus::Ok;
}

bool CMacroControlUI::ImportMacro(const QString& path) {
    ui::CListUI* list = NameList();
    if (!library_ || list == nullptr || list->GetCount() >= static_cast<int>(kMaxMacros)) return false;
    const AddedMacro added = library_->ImportMacro(path.toStdString());
    if (added.status != MacroStatus::Ok) return false;
    ListAddedMacro(added, false);
    LoadMacroEvents();
    return true;
}

}  // namespace velnor7
