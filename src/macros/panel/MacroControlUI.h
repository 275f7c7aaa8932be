#pragma once
// The macro tab of a keyboard or mouse page: the kind's macros on the left, the events of
// the selected one on the right. It keeps the macro files in step with what it shows.

#include "macros/MacroLibrary.h"
#include "macros/recorder/DeviceHook.h"
#include "macros/recorder/MacroRecorder.h"
#include "ui/ContainerUI.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace velnor7 {

namespace ui {
class CListUI;
}

class CMacroControlUI : public ui::CHorizontalLayoutUI {
public:
    // Scrolls the event list to the selected row once a recorded row has been laid out.
    static constexpr int kScrollTimer = 4101;
    static constexpr int kScrollDelayMs = 50;

    CMacroControlUI();
    QString GetClass() const override;

    // The page's user data folder for its kind.
    void SetUserDataDirectory(const std::filesystem::path& folder);
    const QStringList& MacroNames() const { return names_; }

    // Fills "macro_name_list" from the list file.
    void LoadMacroList();
    // The new macro's name (selected), or empty when the list is full.
    QString AddMacro();
    // The position of the deleted macro, or -1 when none is selected.
    int DeleteMacro();
    // The new name with `index` its position; "IsEmpty" for an empty name edit; empty when
    // the name is taken. `index` is -1 when nothing was renamed.
    QString RenameMacro(int& index);
    // Shows the events of the selected macro as rows.
    void LoadMacroEvents();
    // Writes the rows to the selected macro's file; false when nothing could be written.
    bool SaveMacro();
    bool ExportMacro(const QString& path);
    // The imported macro, listed under a new name and shown; false when nothing was added.
    bool ImportMacro(const QString& path);

    // Adds a row for an event at `index` (-1: the end).
    void InsertEventRow(const MacroEvent& event, int index = -1);
    // What the rows hold, with the delays of their edits.
    std::vector<MacroEvent> ShownEvents();

    // Recording. The panel is locked from StartRecording to StopRecording.
    void StartRecording(RecordTimeMode mode);
    void StopRecording();
    bool IsRecording() const { return recording_; }
    // A captured key or mouse button, handled by the handler of the placement (key messages
    // 0x100/0x104 press, others release; mouse messages as the hook delivers them).
    void OnRecordedKey(EventPlacement placement, unsigned message, const HookKeyRecord& key);
    void OnRecordedButton(EventPlacement placement, unsigned message, const HookMouseRecord& mouse);
    // Whether "macro_check_time" asks for the constant delay.
    bool IsConstantTime();
    // Takes the constant delay from "macro_fixed_time_edit", cut to 65535.
    void ReadConstantDelay();
    uint16_t ConstantDelay() const { return recorder_.ConstantDelay(); }
    // false locks the panel for a recording, true unlocks it.
    void Lock(bool unlocked);
    // Where recording reads the time, in milliseconds (the steady clock by default).
    void SetClock(std::function<uint64_t()> clock) { clock_ = std::move(clock); }
    // Whether recording sees only what the program's own window receives; the panel says so.
    void SetCaptureWindowOnly(bool windowOnly);

    // Row operations; those that need a selected row do nothing without one.
    void MoveUp();
    void MoveDown();
    void MoveToTop();
    void MoveToBottom();
    void DeleteRow();
    void DeleteAllRows();
    // A mouse button row (its press or release message; for the side buttons `variant` 1 is
    // forward and 0 back) or a move row (0x200; variant 0 left, 1 right, 2 up, 3 down, the
    // distance from its edit) after the selected row.
    void InsertMouseAction(unsigned message, int variant);
    int SelectedRow();
    // The selected macro's position in the list, -1 when none.
    int SelectedMacro();

    void DoInit() override;
    void OnTimer(int timerId) override;

private:
    ui::CListUI* NameList();
    ui::CListUI* ActionList();
    void ShowListState();
    void AddNameRow(const QString& name, const QString& guid);
    // The row of a macro the library just added, selected.
    void ListAddedMacro(const AddedMacro& added, bool notify);

    void AddRecorded(EventPlacement placement, const RecordedEvent& recorded);
    // A recorded event becomes a row at `position`; `before` is the row whose pause it ends.
    void AddRecordedRow(const RecordedEvent& recorded, int position, int before, bool selectNew);
    void ReplaceSelectedEvent(const RecordedEvent& recorded);
    void SetRowDelay(int row, uint16_t delay);
    // The row's event with the delay its edit shows.
    MacroEvent RowEvent(int row);
    void MoveRow(int from, int to);
    bool ClickedStopButton(unsigned message, const HookMouseRecord& mouse);

    std::unique_ptr<MacroLibrary> library_;
    QStringList names_;
    MacroRecorder recorder_;
    std::function<uint64_t()> clock_;
    bool recording_ = false;
};

}  // namespace velnor7
