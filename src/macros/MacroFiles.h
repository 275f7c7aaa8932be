// The macro list file and the macro files of one device kind's data folder, and
// the reader the devices use to build their macro memory from them.
#pragma once

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroEvent.h"

namespace velnor7 {

inline constexpr std::string_view kMacroListFileName = "macro.config";
inline constexpr std::string_view kMacroFileExtension = ".mac";
inline constexpr int kMacroFileVersion = 64;

// One element of "MacroInfo"; its position is the macro number.
struct MacroListEntry {
    std::string name;  // "MacroName"
    std::string guid;  // "Guid", the macro file's name stem

    bool operator==(const MacroListEntry&) const = default;
};

// The entries of a parsed list file in list order. Every element of "MacroInfo"
// yields an entry, so that positions stay the macro numbers; members that are
// missing or not strings read as empty.
std::vector<MacroListEntry> MacroListFromDocument(const Json::Value& document);

// folder + guid + ".mac", or nothing when the Guid could name a file elsewhere.
std::optional<std::filesystem::path> MacroFilePath(const std::filesystem::path& folder, std::string_view guid);

// The events of a macro file; none when it is missing or broken.
std::vector<MacroEvent> ReadMacroFileEvents(const std::filesystem::path& file);

// A macro file's document: "MacroName", "Guid", "Events" (delays as strings), "Version".
Json::Value MacroFileDocument(const MacroListEntry& entry, const std::vector<MacroEvent>& events);

// The events of every listed macro in macro order, for the device's macro memory.
// A macro without a file, or whose Guid is unsafe, has no events.
std::vector<std::vector<MacroEvent>> ReadAllMacroEvents(const std::filesystem::path& folder);

}  // namespace velnor7
