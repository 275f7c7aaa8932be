#include "macros/MacroFiles.h"

#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/Trace.h"

#include <json/value.h>

namespace velnor7 {
namespace {

std::string StringMember(const Json::Value& object, const char* key) {
    if (!object.isObject()) return {};
    const Json::Value& value = object[key];
    return value.isString() ? value.asString() : std::string();
}

}  // namespace

std::vector<MacroListEntry> MacroListFromDocument(const Json::Value& document) {
    std::vector<MacroListEntry> entries;
    if (!document.isObject()) return entries;
    const Json::Value& list = document["MacroInfo"];
    if (!list.isArray()) return entries;
    for (const Json::Value& element : list)
        entries.push_back({StringMember(element, "MacroName"), StringMember(element, "Guid")});
    return entries;
}

std::optional<std::filesystem::path> MacroFilePath(const std::filesystem::path& folder, std::string_view guid) {
    if (!IsSafeFileStem(guid)) {
        Trace("macro Guid refused as a file name: %.*s", static_cast<int>(guid.size()), guid.data());
        return std::nullopt;
    }
    std::string fileName(guid);
    fileName += kMacroFileExtension;
    return folder / fileName;
}

std::vector<MacroEvent> ReadMacroFileEvents(const std::filesystem::path& file) {
    return MacroEventsFromDocument(LoadJsonFile(file.string()));
}

Json::Value MacroFileDocument(const MacroListEntry& entry, const std::vector<MacroEvent>& events) {
    Json::Value document(Json::objectValue);
    document["MacroName"] = entry.name;
    document["Guid"] = entry.guid;
    Json::Value& list = document["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : events) list.append(MacroEventToJson(event));
    document["Version"] = kMacroFileVersion;
    return document;
}

std::vector<std::vector<MacroEvent>> ReadAllMacroEvents(const std::filesystem::path& folder) {
    std::vector<std::vector<MacroEvent>> macros;
    for (const MacroListEntry& entry : MacroListFromDocument(LoadJsonFile((folder / kMacroListFileName).string()))) {
        const std::optional<std::filesystem::path> file = MacroFilePath(folder, entry.guid);
        macros.push_back(file ? ReadMacroFileEvents(*file) : std::vector<MacroEvent>());
    }
    return macros;
}

}  // namespace velnor7
