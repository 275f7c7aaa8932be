// The macros of one device kind: the list file "macro.config" and one ".mac"
// file per macro in the kind's data folder. The list order is the macro number
// (macro memory blocks, macro key assignments), so every change keeps it.
//
// The macro editor panel keeps the selection and the shown rows; it calls these
// operations with the selected index and shows the status they return. Every
// change reloads the list file first, so Macros() always mirrors the file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroEvent.h"
#include "macros/MacroFiles.h"

namespace velnor7 {

inline constexpr size_t kMaxMacros = 50;

enum class MacroStatus {
    Ok,
    NoDataFolder,  // the library was made without a data folder
    LimitReached,  // the list already holds kMaxMacros macros
    NoSelection,   // the index names no macro of the list
    EmptyName,     // rename to an empty name
    NameInUse,     // rename to a name some macro carries already (letter case ignored)
    NoGuid,        // the macro has no identifier, so it has no file
    UnsafeGuid,    // the identifier could name a file outside the data folder
    NoMacroFile,   // export of a macro that was never saved
    ReadFailed,    // the file to import cannot be read
    WriteFailed,   // a list file, macro file or exported copy could not be written
    ListUnusable,  // the list file is not a regular file, cannot be read, or does not parse and
                   // could not be kept aside: it is left as it is and nothing is changed
};

struct AddedMacro {
    MacroStatus status = MacroStatus::Ok;
    size_t index = 0;   // position of the new macro (the last), when added
    std::string name;   // "macro_<n>", when added
};

struct LoadedMacroEvents {
    MacroStatus status = MacroStatus::Ok;
    std::vector<MacroEvent> events;  // none for a macro that was never saved
};

class MacroLibrary {
public:
    explicit MacroLibrary(std::filesystem::path dataFolder);

    const std::filesystem::path& DataFolder() const { return dataFolder_; }
    const std::vector<MacroListEntry>& Macros() const { return macros_; }

    // Reads the list file; a missing or broken one is an empty list. A broken list is
    // kept as a ".broken-" copy before a change replaces it; one that is not a regular
    // file or cannot be read is never replaced. The user is told either way.
    void LoadList();

    // Appends a macro named "macro_<n>" with the smallest free n and a new Guid.
    // Its file is written by the first SaveEvents or by ImportMacro.
    AddedMacro AddMacro();

    // Removes the macro from the list (later macros move down one number), then
    // deletes its file unless another entry still names the same Guid.
    MacroStatus DeleteMacro(size_t index);

    // Renaming to any name in the list, the macro's own included, is refused.
    MacroStatus RenameMacro(size_t index, std::string_view newName);

    LoadedMacroEvents LoadMacroEvents(size_t index) const;
    MacroStatus SaveMacroEvents(size_t index, const std::vector<MacroEvent>& events);

    // Copies the macro file byte for byte to the destination.
    MacroStatus ExportMacro(size_t index, const std::filesystem::path& destination) const;

    // Adds a macro and makes a byte-for-byte copy of the source its file. The copy
    // keeps its own "MacroName" and "Guid"; the list names it "macro_<n>". Nothing
    // is added when the source cannot be read.
    AddedMacro ImportMacro(const std::filesystem::path& source);

    // "macro_<n>" with the smallest n >= 1 that no name in the list carries.
    static std::string FreeMacroName(const std::vector<MacroListEntry>& macros);
    // Name comparison of the list: ASCII letters compare without case.
    static bool SameMacroName(std::string_view a, std::string_view b);

private:
    std::filesystem::path ListFilePath() const;
    Json::Value ReloadListDocument();
    MacroStatus WriteList(const Json::Value& document);
    MacroStatus FileOf(size_t index, std::filesystem::path& file) const;

    // What the last reload found: a list file to use or make, one that must be kept
    // aside before it is replaced, or one that must not be replaced.
    enum class ListState { Usable, Broken, Untouchable };

    std::filesystem::path dataFolder_;
    std::vector<MacroListEntry> macros_;
    ListState listState_ = ListState::Usable;
    std::string listProblem_;  // completes "The macro list <path> …" when not Usable
};

}  // namespace velnor7
