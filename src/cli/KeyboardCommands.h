// The keyboard commands of velnor7ctl: lighting, key map and macros, through the same
// transactions and profile files as the desktop program.
#pragma once

#include "cli/CliOptions.h"

#include <ostream>

namespace velnor7 {

// light set --mode N --brightness B --speed S --direction D --colour RRGGBB [--multicolour]
// light get | light off | light on
int RunLight(const CliOptions& options, std::ostream& out, std::ostream& err);
// keymap get | keymap set KEY CODE
int RunKeymap(const CliOptions& options, std::ostream& out, std::ostream& err);
// macros write
int RunMacros(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velnor7
