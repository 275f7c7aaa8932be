// The commands of velnor7ctl. Each prints its result and returns the exit status.
#pragma once

#include "cli/CliOptions.h"

#include <iosfwd>

namespace velnor7 {

int RunList(const CliOptions& options, std::ostream& out, std::ostream& err);
int RunInfo(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velnor7
