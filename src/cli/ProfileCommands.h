// The profile commands of velnor7ctl: the keyboard's profiles, through the same operations
// and files as the profile bar of the desktop program.
#pragma once

#include "cli/CliOptions.h"

#include <ostream>

namespace velnor7 {

// profile list | select NAME|INDEX | add | copy | rename NEW | delete NAME|INDEX | reset |
// import FILE | export FILE (copy, rename, reset and export act on the selected profile)
int RunProfile(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velnor7
