// Values given on the command line.
#pragma once

#include <optional>
#include <string>

namespace velnor7 {

// A whole decimal number within low..high; nothing for anything else.
std::optional<int> ParseNumber(const std::string& text, int low, int high);
// "on" or "off".
std::optional<bool> ParseOnOff(const std::string& text);

}  // namespace velnor7
