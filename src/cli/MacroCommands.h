// velnor7ctl macros: the keyboard's macro list and files, as the desktop program's macro tab
// keeps them, and the write of every macro into the keyboard's memory.
#pragma once

#include "cli/CliOptions.h"

#include <ostream>

namespace velnor7 {

// macros list | show NAME | add NAME | rename OLD NEW | delete NAME [--force] | import FILE |
// export NAME FILE | write
int RunMacros(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velnor7
