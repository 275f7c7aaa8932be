#include "macros/MacroLibrary.h"

#include "common/JsonFile.h"
#include "common/NoticeOnce.h"
#include "common/DisplayNames.h"
#include "common/TimestampId.h"
#include "common/Trace.h"
#include "common/UserNotice.h"
#include "platform/files/FileRead.h"
#include "platform/files/FileWrite.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <utility>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    FileReadResult read = ReadRegularFile(path.string());
    if (read.status != FileReadStatus::Ok) return std::nullopt;
    return std::move(read.bytes);
}

// Byte for byte; tells the user when it fails, with what the failure means.
bool WriteWholeFile(const fs::path& path, const std::string& bytes, const char* consequence) {
    const FileWriteResult written = WriteFileDurably(path.string(), bytes);
    if (!written.ok) UserNotice("The file " + path.string() + " " + written.reason + "; " + consequence + ".");
    return written.ok;
}

AddedMacro NotAdded(MacroStatus status) {
    AddedMacro result;
    result.status = status;
    return result;
}

bool GuidInUse(const std::vector<MacroListEntry>& macros, const std::string& guid) {
    return std::any_of(macros.begin(), macros.end(), [&](const MacroListEntry& entry) { return entry.guid == guid; });
}

}  // namespace

MacroLibrary::MacroLibrary(fs::path dataFolder) : dataFolder_(std::move(dataFolder)) {}

void MacroLibrary::LoadList() {
    if (dataFolder_.empty()) return;
    ReloadListDocument();
}

AddedMacro MacroLibrary::AddMacro() {
    if (dataFolder_.empty()) return NotAdded(MacroStatus::NoDataFolder);
    Json::Value document = ReloadListDocument();
    if (macros_.size() >= kMaxMacros) return NotAdded(MacroStatus::LimitReached);

    // Identifiers come from the clock in milliseconds; macros added within one
    // millisecond, or a stray file of an earlier macro, must not share a file.
    auto when = std::chrono::system_clock::now();
    std::string guid = NewTimestampId(when);
    std::error_code error;
    while (GuidInUse(macros_, guid) || fs::exists(*MacroFilePath(dataFolder_, guid), error)) {
        when += std::chrono::milliseconds(1);
        guid = NewTimestampId(when);
    }

    Json::Value entry(Json::objectValue);
    const std::string name = FreeMacroName(macros_);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    document["MacroInfo"].append(entry);
    const MacroStatus status = WriteList(document);
    if (status != MacroStatus::Ok) return NotAdded(status);
    return {MacroStatus::Ok, macros_.size() - 1, name};
}

MacroStatus MacroLibrary::DeleteMacro(size_t index) {
    if (dataFolder_.empty()) return MacroStatus::NoDataFolder;
    Json::Value document = ReloadListDocument();
    if (index >= macros_.size()) return MacroStatus::NoSelection;
    const std::string guid = macros_[index].guid;
    Json::Value removed;
    document["MacroInfo"].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    // The list goes first: a failed write then leaves the macro listed with its file.
    const MacroStatus status = WriteList(document);
    if (status != MacroStatus::Ok || guid.empty() || GuidInUse(macros_, guid)) return status;
    if (const std::optional<fs::path> file = MacroFilePath(dataFolder_, guid)) {
        std::error_code error;
        fs::remove(*file, error);
    }
    return MacroStatus::Ok;
}

MacroStatus MacroLibrary::RenameMacro(size_t index, std::string_view newName) {
    if (dataFolder_.empty()) return MacroStatus::NoDataFolder;
    Json::Value document = ReloadListDocument();
    if (index >= macros_.size()) return MacroStatus::NoSelection;
    if (newName.empty()) return MacroStatus::EmptyName;
    const bool inUse = std::any_of(macros_.begin(), macros_.end(),
                                   [&](const MacroListEntry& entry) { return SameMacroName(entry.name, newName); });
    if (inUse) return MacroStatus::NameInUse;
    Json::Value& element = document["MacroInfo"][static_cast<Json::ArrayIndex>(index)];
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    element["MacroName"] = std::string(newName);
    return WriteList(document);
}

LoadedMacroEvents MacroLibrary::LoadMacroEvents(size_t index) const {
    fs::path file;
    const MacroStatus status = FileOf(index, file);
    if (status != MacroStatus::Ok) return {status, {}};
    return {MacroStatus::Ok, ReadMacroFileEvents(file)};
}

MacroStatus MacroLibrary::SaveMacroEvents(size_t index, const std::vector<MacroEvent>& events) {
    fs::path file;
    const MacroStatus status = FileOf(index, file);
    if (status != MacroStatus::Ok) return status;
    const JsonFileWrite written = WriteJsonFile(file.string(), MacroFileDocument(macros_[index], events));
    if (!written.ok) {
        UserNotice("The macro file " + file.string() + " " + written.reason + "; the macro was not saved.");
        return MacroStatus::WriteFailed;
    }
    return MacroStatus::Ok;
}

MacroStatus MacroLibrary::ExportMacro(size_t index, const fs::path& destination) const {
    fs::path file;
    const MacroStatus status = FileOf(index, file);
    if (status != MacroStatus::Ok) return status;
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) return MacroStatus::NoMacroFile;
    if (!WriteWholeFile(destination, *bytes, "the macro was not exported")) return MacroStatus::WriteFailed;
    return MacroStatus::Ok;
}

AddedMacro MacroLibrary::ImportMacro(const fs::path& source) {
    const std::optional<std::string> bytes = ReadWholeFile(source);
    if (!bytes) return NotAdded(MacroStatus::ReadFailed);
    AddedMacro added = AddMacro();
    if (added.status != MacroStatus::Ok) return added;
    fs::path file;
    if (FileOf(added.index, file) == MacroStatus::Ok && WriteWholeFile(file, *bytes, "the macro was not imported"))
        return added;
    // A listed macro without its file would look like an empty import.
    Trace("macro import could not write its file; the new list entry is removed");
    DeleteMacro(added.index);
    return NotAdded(MacroStatus::WriteFailed);
}

std::string MacroLibrary::FreeMacroName(const std::vector<MacroListEntry>& macros) {
    for (size_t n = 1;; ++n) {
        const std::string candidate = "macro_" + std::to_string(n);
        const bool taken = std::any_of(macros.begin(), macros.end(),
                                       [&](const MacroListEntry& entry) { return SameMacroName(entry.name, candidate); });
        if (!taken) return candidate;
    }
}

bool MacroLibrary::SameMacroName(std::string_view a, std::string_view b) { return SameDisplayName(a, b); }

fs::path MacroLibrary::ListFilePath() const { return dataFolder_ / kMacroListFileName; }

Json::Value MacroLibrary::ReloadListDocument() {
    const std::string path = ListFilePath().string();
    JsonFileRead read = ReadJsonFile(path);
    listState_ = ListState::Usable;
    listProblem_ = read.reason;
    switch (read.status) {
    case JsonFileStatus::Ok:
        if (!read.value.isObject()) {
            listState_ = ListState::Broken;
            listProblem_ = "is not a JSON object";
        } else if (read.value.isMember("MacroInfo") && !read.value["MacroInfo"].isArray()) {
            listState_ = ListState::Broken;
            listProblem_ = "has a \"MacroInfo\" entry that is not a list";
        }
        break;
    case JsonFileStatus::Missing: break;
    case JsonFileStatus::NotRegular:
    case JsonFileStatus::Unreadable:
        listState_ = ListState::Untouchable;
        UserNoticeOnce("The macro list " + path + " " + read.reason +
                       "; it was left as it is, and no macros can be listed or changed until it is fixed.");
        break;
    case JsonFileStatus::Empty:
    case JsonFileStatus::NotJson:
        listState_ = ListState::Broken;
        break;
    }
    // A missing or broken list is an empty one; a broken one is kept aside before it is replaced.
    Json::Value document = listState_ == ListState::Usable && read.value.isObject() ? std::move(read.value)
                                                                                     : Json::Value(Json::objectValue);
    if (!document["MacroInfo"].isArray()) document["MacroInfo"] = Json::Value(Json::arrayValue);
    macros_ = MacroListFromDocument(document);
    return document;
}

MacroStatus MacroLibrary::WriteList(const Json::Value& document) {
    const std::string path = ListFilePath().string();
    if (listState_ == ListState::Untouchable) return MacroStatus::ListUnusable;
    std::string copy;
    if (listState_ == ListState::Broken) {
        const KeptFileCopy kept = KeepBrokenFile(path);
        if (!kept.kept) {
            UserNoticeOnce("The macro list " + path + " " + listProblem_ + ", and it could not be kept aside (" +
                           kept.reason + "); it was left as it is, and the macros were not changed.");
            return MacroStatus::ListUnusable;
        }
        copy = kept.path;
    }
    const JsonFileWrite written = WriteJsonFile(path, document);
    if (!copy.empty()) {
        UserNotice("The macro list " + path + " " + listProblem_ + "; it was kept as " + copy +
                   (written.ok ? " and a new list was started." : ", but the new list " + written.reason + "."));
    } else if (!written.ok) {
        UserNotice("The macro list " + path + " " + written.reason + "; the macros were not changed.");
    }
    if (!written.ok) return MacroStatus::WriteFailed;
    listState_ = ListState::Usable;
    macros_ = MacroListFromDocument(document);
    return MacroStatus::Ok;
}

MacroStatus MacroLibrary::FileOf(size_t index, fs::path& file) const {
    if (dataFolder_.empty()) return MacroStatus::NoDataFolder;
    if (index >= macros_.size()) return MacroStatus::NoSelection;
    const std::string& guid = macros_[index].guid;
    if (guid.empty()) return MacroStatus::NoGuid;
    const std::optional<fs::path> path = MacroFilePath(dataFolder_, guid);
    if (!path) return MacroStatus::UnsafeGuid;
    file = *path;
    return MacroStatus::Ok;
}

}  // namespace velnor7
