// Names the user gives to profiles and macros: they are compared without regard to the
// case of ASCII letters, so that "Game" and "GAME" cannot both exist.
#pragma once

#include <string_view>

namespace velnor7 {

bool SameDisplayName(std::string_view a, std::string_view b);

}  // namespace velnor7
