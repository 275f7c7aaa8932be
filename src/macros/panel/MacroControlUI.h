#pragma once
// The macro tab of a keyboard or mouse page: the kind's macros on the left, the events of
// the selected one on the right. It keeps the macro files in step with what it shows.

#include "macros/MacroLibrary.h"
#include "ui/ContainerUI.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace velnor7 {

namespace ui {
class CListUI;
}

class CMacroControlUI : public ui::CHorizontalLayoutUI {
public:
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

    void DoInit() override;

private:
    ui::CListUI* NameList();
    ui::CListUI* ActionList();
    int SelectedMacro();
    void ShowListState();
    void AddNameRow(const QString& name, const QString& guid);
    // The row of a macro the library just added, selected.
    void ListAddedMacro(const AddedMacro& added, bool notify);

    std::unique_ptr<MacroLibrary> library_;
    QStringList names_;
};

}  // namespace velnor7
