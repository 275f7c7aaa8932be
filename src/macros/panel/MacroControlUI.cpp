#include "macros/panel/MacroControlUI.h"

#include "macros/panel/MacroEventNames.h"
#include "ui/ButtonUI.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ListUI.h"
#include "ui/PaintManagerUI.h"

#include <QWidget>

#include <json/json.h>

#include <chrono>
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

uint64_t SteadyMilliseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// The leading decimal digits, saturating instead of wrapping.
uint64_t LeadingNumber(const QString& text) {
    uint64_t value = 0;
    for (const QChar c : text) {
        if (c < '0' || c > '9') break;
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c.unicode() - '0'), UINT32_MAX);
    }
    return value;
}

// A distance edit's number as the device takes it: its low 8 bits.
int MoveDistance(ui::CControlUI* edit) {
    return edit != nullptr ? static_cast<int>(edit->GetText().toLongLong() & 0xFF) : 0;
}

}  // namespace

CMacroControlUI::CMacroControlUI() : clock_(SteadyMilliseconds) {}

QString CMacroControlUI::GetClass() const { return "MacroControl"; }

void CMacroControlUI::DoInit() {
    ShowListState();
    Lock(true);
}

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

namespace velnor7 {

int CMacroControlUI::SelectedRow() {
    ui::CListUI* actions = ActionList();
    return actions != nullptr ? actions->GetCurSel() : -1;
}

MacroEvent CMacroControlUI::RowEvent(int row) {
    ui::CControlUI* element = ActionList()->GetItemAt(row);
    MacroEvent event = FromJsonText(element->GetUserData());
    if (auto* delay = dynamic_cast<ui::CEditUI*>(ui::CPaintManagerUI::FindSubControlByName(element, "macro_delay"))) {
        event.delayMs = ParseMacroDelay(delay->GetText().toStdString());
    }
    return event;
}

void CMacroControlUI::SetRowDelay(int row, uint16_t delay) {
    ui::CControlUI* element = ActionList()->GetItemAt(row);
    if (element == nullptr) return;
    MacroEvent event = FromJsonText(element->GetUserData());
    event.delayMs = delay;
    element->SetUserData(ToJsonText(event));
    if (ui::CControlUI* edit = ui::CPaintManagerUI::FindSubControlByName(element, "macro_delay")) {
        edit->SetText(QString::number(delay));
    }
}

bool CMacroControlUI::IsConstantTime() {
    auto* check = dynamic_cast<ui::COptionUI*>(FindSubControl("macro_check_time"));
    return check != nullptr && check->IsSelected();
}

void CMacroControlUI::ReadConstantDelay() {
    ui::CControlUI* edit = FindSubControl("macro_fixed_time_edit");
    if (edit == nullptr) return;
    const uint64_t typed = LeadingNumber(edit->GetText());
    if (typed == recorder_.ConstantDelay()) return;
    const auto delay = static_cast<uint16_t>(std::min<uint64_t>(typed, kMaxMacroDelay));
    edit->SetText(QString::number(delay));
    if (auto* line = dynamic_cast<ui::CEditUI*>(edit)) line->SetCaretAtEnd();
    recorder_.SetConstantDelay(delay);
}

void CMacroControlUI::StartRecording(RecordTimeMode mode) {
    recorder_.Start(mode, clock_());
    if (mode == RecordTimeMode::Constant) ReadConstantDelay();
    recording_ = true;
    Lock(false);
}

void CMacroControlUI::StopRecording() {
    recording_ = false;
    Lock(true);
}

void CMacroControlUI::Lock(bool unlocked) {
    for (const char* name : {"macro_name_tab", "macro_action_list"}) {
        if (CControlUI* control = FindSubControl(name)) control->SetMouseEnabled(unlocked);
    }
    for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"}) {
        if (CControlUI* control = FindSubControl(name)) control->SetEnabled(unlocked);
    }
    if (CControlUI* files = FindSubControl("macro_file_expimp_layout")) files->SetEnabled(true);
    if (CControlUI* start = FindSubControl("macro_btn_starredio")) start->SetVisible(unlocked);
    if (CControlUI* stop = FindSubControl("macro_btn_stopredio")) stop->SetVisible(!unlocked);
}

void CMacroControlUI::SetCaptureWindowOnly(bool windowOnly) {
    if (CControlUI* hint = FindSubControl("macro_capture_hint")) hint->SetVisible(windowOnly);
}

bool CMacroControlUI::ClickedStopButton(unsigned message, const HookMouseRecord& mouse) {
    if (message != input_message::kLeftDown && message != input_message::kLeftUp) return false;
    CControlUI* stop = FindSubControl("macro_btn_stopredio");
    QWidget* widget = stop != nullptr ? stop->GetWidget() : nullptr;
    if (widget == nullptr) return false;
    const QRect onScreen(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return onScreen.contains(mouse.x, mouse.y);
}

void CMacroControlUI::OnRecordedKey(EventPlacement placement, unsigned message, const HookKeyRecord& key) {
    const std::optional<RecordedEvent> recorded = recorder_.TakeKey(placement, message, key.scanCode, key.extended);
    if (recorded) AddRecorded(placement, *recorded);
}

void CMacroControlUI::OnRecordedButton(EventPlacement placement, unsigned message, const HookMouseRecord& mouse) {
    constexpr int kXButtonShift = 16;
    const std::optional<RecordedEvent> recorded =
        recorder_.TakeButton(placement, message, static_cast<int>(mouse.mouseData >> kXButtonShift));
    // The click that ends the recording is not part of it.
    if (recorded && !ClickedStopButton(message, mouse)) AddRecorded(placement, *recorded);
}

void CMacroControlUI::AddRecorded(EventPlacement placement, const RecordedEvent& recorded) {
    ui::CListUI* actions = ActionList();
    if (actions == nullptr) return;
    const int selected = actions->GetCurSel();
    const bool full = actions->GetCount() >= static_cast<int>(MacroRecorder::kMaxRecordedRows);
    switch (placement) {
    case EventPlacement::Append:
        if (full) return;
        AddRecordedRow(recorded, actions->GetCount(), actions->GetCount() - 1, true);
        break;
    case EventPlacement::Before:
        if (full || selected < 0) return;
        AddRecordedRow(recorded, selected, selected - 1, false);
        break;
    case EventPlacement::After:
        if (full || selected < 0) return;
        AddRecordedRow(recorded, selected + 1, selected, true);
        break;
    case EventPlacement::Replace:
        if (selected < 0) return;
        ReplaceSelectedEvent(recorded);
        break;
    }
    recorder_.SetEventSeen();
    if (GetManager() != nullptr) GetManager()->SetTimer(this, kScrollTimer, kScrollDelayMs);
}

void CMacroControlUI::AddRecordedRow(const RecordedEvent& recorded, int position, int before, bool selectNew) {
    ui::CListUI* actions = ActionList();
    const uint16_t pause = recorder_.TakeDelay(clock_());
    MacroEvent event = recorded.event;
    event.delayMs = position == 0 ? 0 : recorder_.NewRowDelay();
    if (before >= 0 && recorder_.EventSeen()) SetRowDelay(before, pause);
    InsertEventRow(event, position);
    // Inserted in front, the new row moves the selected one down: that one stays selected.
    actions->SelectItem(selectNew ? position : position + 1, false);
}

void CMacroControlUI::ReplaceSelectedEvent(const RecordedEvent& recorded) {
    const int selected = SelectedRow();
    MacroEvent event = RowEvent(selected);
    event.type = recorded.event.type;
    event.button = recorded.event.button;
    event.action = recorded.event.action;
    ActionList()->RemoveAt(selected);
    InsertEventRow(event, selected);
    ActionList()->SelectItem(selected, false);
}

void CMacroControlUI::OnTimer(int timerId) {
    if (timerId != kScrollTimer) {
        CHorizontalLayoutUI::OnTimer(timerId);
        return;
    }
    if (GetManager() != nullptr) GetManager()->KillTimer(this, kScrollTimer);
    if (ui::CListUI* actions = ActionList(); actions != nullptr && actions->GetCurSel() >= 0) {
        actions->EnsureVisible(actions->GetCurSel());
    }
}

void CMacroControlUI::MoveRow(int from, int to) {
    ui::CListUI* actions = ActionList();
    const MacroEvent event = RowEvent(from);
    actions->RemoveAt(from);
    InsertEventRow(event, to);
    actions->SelectItem(to < 0 ? actions->GetCount() - 1 : to, false);
}

void CMacroControlUI::MoveUp() {
    const int selected = SelectedRow();
    if (selected > 0) MoveRow(selected, selected - 1);
}

void CMacroControlUI::MoveDown() {
    const int selected = SelectedRow();
    if (selected >= 0 && selected + 1 < ActionList()->GetCount()) MoveRow(selected, selected + 1);
}

void CMacroControlUI::MoveToTop() {
    const int selected = SelectedRow();
    if (selected >= 0) MoveRow(selected, 0);
}

void CMacroControlUI::MoveToBottom() {
    const int selected = SelectedRow();
    if (selected >= 0) MoveRow(selected, -1);
}

void CMacroControlUI::DeleteRow() {
    const int selected = SelectedRow();
    if (selected >= 0) ActionList()->RemoveAt(selected);
}

void CMacroControlUI::DeleteAllRows() {
    if (ui::CListUI* actions = ActionList()) {
        actions->RemoveAll();
        actions->SelectItem(-1, false);
    }
}

void CMacroControlUI::InsertMouseAction(unsigned message, int variant) {
    namespace msg = input_message;
    ui::CListUI* actions = ActionList();
    if (actions == nullptr) return;
    MacroEvent event;
    if (message == msg::kMouseMove) {
        static constexpr struct {
            int type;
            std::string_view action;
            const char* edit;
        } kMoves[] = {{kMacroHorizontalMove, kMacroActionDown, "mouse_x_left_edit"},
                      {kMacroHorizontalMove, kMacroActionUp, "mouse_x_right_edit"},
                      {kMacroVerticalMove, kMacroActionDown, "mouse_y_up_edit"},
                      {kMacroVerticalMove, kMacroActionUp, "mouse_y_down_edit"}};
        if (variant < 0 || variant > 3) return;
        const auto& move = kMoves[variant];
        event.type = move.type;
        event.action = std::string(move.action);
        event.button = MoveDistance(FindSubControl(move.edit));
    } else {
        const MouseEventRow* row = XButtonRow(message, variant == 1);
        for (size_t i = 0; row == nullptr && i < kMouseEventRows; ++i) {
            if (MouseEventTable[i].message == message) row = &MouseEventTable[i];
        }
        if (row == nullptr) return;
        event.type = row->typeByte & 0x7F;
        event.button = row->button;
        event.action = std::string((row->typeByte & 0x80) != 0 ? kMacroActionDown : kMacroActionUp);
    }
    event.delayMs = recorder_.ConstantDelay();
    const int count = actions->GetCount();
    const int selected = actions->GetCurSel();
    const int position = count == 0 ? 0 : std::min(selected >= 0 ? selected + 1 : 1, count);
    InsertEventRow(event, position);
    actions->SelectItem(position, false);
}

}  // namespace velnor7
