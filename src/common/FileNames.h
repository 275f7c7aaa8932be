// Identifiers read from files (profile and macro ids, Guids) become file names;
// they must name a file inside the data folder and nothing else.
#pragma once

#include <string_view>

namespace velnor7 {

// True for a non-empty name without path separators, NUL, "." or "..", that is
// not absolute and not longer than 200 bytes.
bool IsSafeFileStem(std::string_view name);

}  // namespace velnor7
