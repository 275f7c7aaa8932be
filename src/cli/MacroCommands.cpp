#include "cli/MacroCommands.h"

#include "cli/KeyboardSession.h"
#include "cli/VerbOutcome.h"
#include "common/Paths.h"
#include "keyboard/KeyCodeTable.h"
#include "keyboard/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "profiles/ProfileList.h"

#include <json/value.h>

#include <optional>
#include <sstream>

namespace velnor7 {

namespace {

const char* const kUsage =
    "macros takes list, show NAME, add NAME, rename OLD NEW, delete NAME [--force], import FILE, export NAME FILE "
    "or write";

std::string StatusText(MacroStatus status) {
    switch (status) {
    case MacroStatus::Ok: return "done";
    case MacroStatus::NoDataFolder: return "there is no macro folder";
    case MacroStatus::LimitReached: return "the list holds " + std::to_string(kMaxMacros) + " macros already";
    case MacroStatus::NoSelection: return "there is no such macro";
    case MacroStatus::EmptyName: return "a macro needs a name";
    case MacroStatus::NameInUse: return "another macro has this name";
    case MacroStatus::NoGuid: return "the macro has no identifier, so it has no file";
    case MacroStatus::UnsafeGuid: return "the macro's identifier could name a file outside the macro folder";
    case MacroStatus::NoMacroFile: return "the macro was never saved";
    case MacroStatus::ReadFailed: return "the file cannot be read";
    case MacroStatus::WriteFailed: return "a file could not be written";
    case MacroStatus::ListUnusable: return "the macro list file cannot be used; it was left as it is";
    }
    return "unknown";
}

// The macro of that name (letter case ignored).
std::optional<size_t> Named(const MacroLibrary& library, const std::string& name) {
    for (size_t i = 0; i < library.Macros().size(); ++i) {
        if (MacroLibrary::SameMacroName(library.Macros()[i].name, name)) return i;
    }
    return std::nullopt;
}

std::string ShortName(std::string_view id) {
    constexpr std::string_view prefix = "keyboard_key_";
    return std::string(id.substr(0, prefix.size()) == prefix ? id.substr(prefix.size()) : id);
}

// What an event does, as the editor shows it.
std::string EventText(const MacroEvent& event) {
    const bool down = event.action == kMacroActionDown;
    switch (event.type) {
    case kMacroKey:
        if (const auto row = RowForKeyUsage(static_cast<uint8_t>(event.button))) {
            return ShortName(KeyCodeTable[*row].nameId) + (down ? " down" : " up");
        }
        return "key " + std::to_string(event.button) + (down ? " down" : " up");
    case kMacroModifierKey:
        for (size_t row = 0; row < kModifierRowCount; ++row) {
            if (KeyCodeTable[row].code.p1 == event.button) return ShortName(KeyCodeTable[row].nameId) + (down ? " down" : " up");
        }
        return "modifier " + std::to_string(event.button) + (down ? " down" : " up");
    case kMacroMouseButton: {
        const char* name = event.button == 0x01   ? "left button"
                           : event.button == 0x02 ? "right button"
                           : event.button == 0x04 ? "middle button"
                           : event.button == 0x10 ? "forward button"
                           : event.button == 0x08 ? "back button"
                                                  : "mouse button";
        return std::string(name) + (down ? " down" : " up");
    }
    case kMacroHorizontalMove: return std::string("move ") + (down ? "left " : "right ") + std::to_string(event.button);
    case kMacroVerticalMove: return std::string("move ") + (down ? "up " : "down ") + std::to_string(event.button);
    default: return "event of type " + std::to_string(event.type);
    }
}

VerbOutcome List(const MacroLibrary& library) {
    std::ostringstream text;
    Json::Value details(Json::objectValue);
    details["macros"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < library.Macros().size(); ++i) {
        const MacroListEntry& entry = library.Macros()[i];
        const LoadedMacroEvents events = library.LoadMacroEvents(i);
        text << i << "  " << entry.name << "  " << events.events.size() << " events  " << entry.guid << "\n";
        Json::Value item;
        item["number"] = static_cast<Json::UInt64>(i);
        item["name"] = entry.name;
        item["events"] = static_cast<Json::UInt64>(events.events.size());
        item["guid"] = entry.guid;
        details["macros"].append(item);
    }
    if (library.Macros().empty()) text << "no macros\n";
    return VerbOutcome::Done(text.str(), details);
}

VerbOutcome Show(const MacroLibrary& library, const std::string& name) {
    const std::optional<size_t> index = Named(library, name);
    if (!index) return VerbOutcome::Failed("there is no macro named '" + name + "'");
    const LoadedMacroEvents loaded = library.LoadMacroEvents(*index);
    if (loaded.status != MacroStatus::Ok) return VerbOutcome::Failed(name + ": " + StatusText(loaded.status));
    std::ostringstream text;
    Json::Value details(Json::objectValue);
    details["events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : loaded.events) {
        text << EventText(event) << "  " << event.delayMs << " ms\n";
        details["events"].append(MacroEventToJson(event));
    }
    if (loaded.events.empty()) text << "no events\n";
    return VerbOutcome::Done(text.str(), details);
}

VerbOutcome Add(MacroLibrary& library, const std::string& name) {
    if (Named(library, name)) return VerbOutcome::Failed("another macro is named '" + name + "'");
    const AddedMacro added = library.AddMacro();
    if (added.status != MacroStatus::Ok) return VerbOutcome::Failed("no macro was added: " + StatusText(added.status));
    if (const MacroStatus renamed = library.RenameMacro(added.index, name); renamed != MacroStatus::Ok) {
        return VerbOutcome::Failed("the macro was added as " + added.name + " but not named: " + StatusText(renamed));
    }
    // A file from the start, so that it can be shown and exported before it has events.
    if (const MacroStatus saved = library.SaveMacroEvents(added.index, {}); saved != MacroStatus::Ok) {
        return VerbOutcome::Failed("the macro " + name + " was added but its file not written: " + StatusText(saved));
    }
    return VerbOutcome::Done("macro " + std::to_string(added.index) + " added: " + name + "\n");
}

VerbOutcome Rename(MacroLibrary& library, const std::string& from, const std::string& to) {
    const std::optional<size_t> index = Named(library, from);
    if (!index) return VerbOutcome::Failed("there is no macro named '" + from + "'");
    const MacroStatus renamed = library.RenameMacro(*index, to);
    if (renamed != MacroStatus::Ok) return VerbOutcome::Failed("not renamed: " + StatusText(renamed));
    return VerbOutcome::Done("macro " + std::to_string(*index) + " renamed to " + to + "\n");
}

// The keys of the current profile follow the list; an attached keyboard takes both.
VerbOutcome Delete(MacroLibrary& library, const std::string& name, bool force) {
    const std::optional<size_t> index = Named(library, name);
    if (!index) return VerbOutcome::Failed("there is no macro named '" + name + "'");
    const std::string own = library.Macros()[*index].name;
    const std::string folder = KeyboardSession::Folder();
    CKeyboardProfiledata profile;
    profile.SetDefaultPath(KeyboardSession::DefaultProfile());
    if (!profile.SetProfileFile(folder, CProfileList(folder, KeyboardSession::DefaultProfile()).CurrentUuid())) {
        return VerbOutcome::Failed("the keyboard's profile list cannot be used; nothing was deleted");
    }
    profile.Load(profile.GetPath());
    std::vector<KeyListEntry> keys = profile.ReadKeyList();
    const std::vector<size_t> playing = KeysPlayingMacro(keys, static_cast<int>(*index));
    if (!playing.empty() && !force) {
        return VerbOutcome::Failed(std::to_string(playing.size()) + " key(s) of the current profile play '" + own +
                                   "'; --force deletes it and gives them their default function");
    }
    const bool changed = ForgetDeletedMacro(keys, static_cast<int>(*index));
    const MacroStatus deleted = library.DeleteMacro(*index);
    if (deleted != MacroStatus::Ok) return VerbOutcome::Failed("not deleted: " + StatusText(deleted));
    std::string text = "macro '" + own + "' deleted\n";
    if (!changed) return VerbOutcome::Done(text);
    profile.WriteKeyList(keys);
    if (profile.Save() != 0) {
        return VerbOutcome::Failed("the macro was deleted, but the profile " + profile.GetPath() +
                                   " could not be saved: its keys still name the old macro numbers");
    }
    text += "the profile's keys follow the macro list\n";
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) {
        return VerbOutcome::Done(text + "the keyboard was not written (" + *failure + "); the next write or switch sends it\n");
    }
    if (const auto failure = keyboard.WriteWholeProfile()) return VerbOutcome::Failed(*failure);
    return VerbOutcome::Done(text + "macros and key map written to the keyboard\n");
}

VerbOutcome Import(MacroLibrary& library, const std::string& file) {
    const AddedMacro added = library.ImportMacro(file);
    if (added.status != MacroStatus::Ok) return VerbOutcome::Failed(file + ": " + StatusText(added.status));
    return VerbOutcome::Done("macro " + std::to_string(added.index) + " imported: " + added.name + "\n");
}

VerbOutcome Export(const MacroLibrary& library, const std::string& name, const std::string& file) {
    const std::optional<size_t> index = Named(library, name);
    if (!index) return VerbOutcome::Failed("there is no macro named '" + name + "'");
    const MacroStatus exported = library.ExportMacro(*index, file);
    if (exported != MacroStatus::Ok) return VerbOutcome::Failed("not exported: " + StatusText(exported));
    return VerbOutcome::Done("macro '" + name + "' exported to " + file + "\n");
}

VerbOutcome Write() {
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    const MacroWrite write = keyboard.Configurator().WriteMacros();
    if (!write.result.Ok()) return VerbOutcome::Failed(write.result.reason);
    Json::Value details;
    details["macros"] = static_cast<Json::UInt64>(write.macros);
    if (write.macros == 0) return VerbOutcome::Done("the keyboard's macro list is empty: nothing to write\n", details);
    return VerbOutcome::Done("macro memory written (" + std::to_string(write.macros) + " macros)\n", details);
}

VerbOutcome Macros(std::vector<std::string> args) {
    bool force = false;
    std::erase_if(args, [&](const std::string& word) { return word == "--force" && (force = true); });
    if (args.empty()) return VerbOutcome::BadArguments(kUsage);
    const std::string& verb = args[0];
    if (verb == "write" && args.size() == 1) return Write();
    MacroLibrary library(KeyboardSession::Folder());
    library.LoadList();
    if (verb == "list" && args.size() == 1) return List(library);
    if (verb == "show" && args.size() == 2) return Show(library, args[1]);
    if (verb == "add" && args.size() == 2) return Add(library, args[1]);
    if (verb == "rename" && args.size() == 3) return Rename(library, args[1], args[2]);
    if (verb == "delete" && args.size() == 2) return Delete(library, args[1], force);
    if (verb == "import" && args.size() == 2) return Import(library, args[1]);
    if (verb == "export" && args.size() == 3) return Export(library, args[1], args[2]);
    return VerbOutcome::BadArguments(kUsage);
}

}  // namespace

int RunMacros(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Macros(options.arguments), out, err);
}

}  // namespace velnor7
