// The keyboard settings of velnor7ctl: report rate, the three key flags and the computer's
// key repeat, through the same code as the keyboard page's settings panel.
#pragma once

#include "cli/CliOptions.h"

#include <ostream>

namespace velnor7 {

// settings get | settings set [--polling-rate 0-3] [--win-lock on|off] [--wflag on|off]
//                             [--key6 on|off] [--repeat-rate 0-31] [--repeat-delay 0-3]
int RunSettings(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velnor7
