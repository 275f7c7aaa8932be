// Values given on the command line.
#pragma once

#include "core/LightTables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velnor7 {

struct NamedColour {
    const char* name;
    Rgb rgb;
};

// A whole decimal number within low..high; nothing for anything else.
std::optional<int> ParseNumber(const std::string& text, int low, int high);
// "on" or "off".
std::optional<bool> ParseOnOff(const std::string& text);
// Exactly six hex digits (either case), as three bytes.
std::optional<std::array<uint8_t, 3>> ParseHexTriplet(const std::string& text);
// RRGGBB, #RRGGBB or one of ColourNames() (letter case ignored).
std::optional<Rgb> ParseColour(const std::string& text);
// The colour names ParseColour knows, with the values the keyboard is sent.
std::span<const NamedColour> ColourNames();

}  // namespace velnor7
