// A change of a device's lighting as the user asks for it, from a lighting panel or the
// command line: only the values given change.
#pragma once

#include "core/LightTables.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <optional>

namespace velnor7 {

// (Initialised members let a change name only its values.)
struct LightingChange {
    std::optional<uint8_t> mode = {};
    std::optional<uint8_t> brightness = {};
    std::optional<uint8_t> speed = {};
    std::optional<uint8_t> direction = {};
    std::optional<uint8_t> multicolour = {};
    std::optional<Rgb> colour = {};
    std::optional<uint8_t> preset = {};       // the colour of the preset mode ("zzccSelectItem")
    std::optional<uint8_t> customGroup = {};  // the custom colour set the device shows
    std::optional<bool> lightsOff = {};       // "LedStaus"

    bool Empty() const;
    void ApplyTo(LightInfoRecord& light) const;
    // Only the light switch: the device takes the switch, not the whole record.
    bool SwitchOnly() const;
};

}  // namespace velnor7
