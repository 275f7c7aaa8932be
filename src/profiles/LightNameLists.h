// The light names a device page offers in its lighting panel: the built-in modes
// and areas of its kind (shipped in DefaultData) and the user's light presets.
#pragma once

#include <string>
#include <vector>

namespace velnor7 {

// The names of the built-in light modes and areas of every kind.
inline constexpr char kLightNameFileName[] = "default_light.json";

struct LightModeName {
    std::string name;
    bool visible = false;  // whether the mode is offered; its number is its position all the same

    bool operator==(const LightModeName&) const = default;
};

struct LightNameLists {
    std::vector<LightModeName> modes;  // in mode order
    std::vector<std::string> areas;
    std::vector<std::string> presets;  // the user's light presets, in list order

    bool operator==(const LightNameLists&) const = default;
};

// Rebuilds the lists of kind `kindIndex` (keyboard 0, mouse 1, mouse pad 2,
// headset 3) from "default_light.json" in `defaultDataDirectory` and from the
// user light list in `userDirectory` (the shipped one when the user has none).
// A list whose source is missing keeps its previous contents, so the panel goes
// on showing what it showed.
void LoadLightNameLists(LightNameLists& lists, int kindIndex, const std::string& userDirectory,
                        const std::string& defaultDataDirectory);

}  // namespace velnor7
