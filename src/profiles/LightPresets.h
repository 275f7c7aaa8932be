// Light presets made by the user: the per-kind light list that names them and the
// preset files that hold their effect steps. The program only reads these files.
//
// Both are looked for in the kind's user data folder first and then in the
// shipped DefaultData folder, never in the working directory: which folder that is
// depends on how the program was started.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velnor7 {

// The user light list of every kind ("LightInfo"[kind][i] holds "LightName" and "Guid").
inline constexpr char kLightListFileName[] = "zelva_light.config";
// A preset file is its "Guid" followed by this.
inline constexpr char kLightPresetExtension[] = ".light";

// One step of a light preset: a small effect shown for `time` milliseconds.
// Modes: 0 breathing, 1 static, 2 blink, 4 wave, 5 spectrum; others show nothing.
struct EffectStep {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused9 = 0;
    uint8_t unused10 = 0;
    uint8_t unused11 = 0;
    uint32_t time = 0;
    uint32_t cyle = 0;  // "Cyle": kept as read, not used in playing

    bool operator==(const EffectStep&) const = default;
};

// directory + name; empty when the folder is not known, which the loaders below
// skip, so that nothing is read relative to the working directory.
std::string PathInFolder(const std::string& directory, const std::string& name);

// The user light list at `path`. When the user has none there, the list shipped in
// `defaultDataDirectory`; a list that is there but unusable reads as null (the
// reason is traced) rather than being silently replaced.
Json::Value LoadUserLightList(const std::string& path, const std::string& defaultDataDirectory);

// The steps of a preset document: one per element of "LEDEffectList", absent keys
// 0, byte fields keeping the low 8 bits of what is stored. Empty for anything else.
std::vector<EffectStep> EffectStepsOf(const Json::Value& preset);

// The steps of preset `guid`: its file in `userDirectory` when there is one, else
// the one in `defaultDataDirectory`. A Guid that is not a plain file name is
// refused, so the list file cannot make the program read elsewhere. Empty when the
// preset is refused, found nowhere, or unusable. An empty `userDirectory` skips it.
std::vector<EffectStep> LoadPresetSteps(const std::string& guid, const std::string& userDirectory,
                                        const std::string& defaultDataDirectory);

}  // namespace velnor7
