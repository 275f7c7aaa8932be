// The commands of velnor7ctl. Each prints its result and returns the exit status.
#pragma once

#include "cli/CliOptions.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace velnor7 {

// The command the options name; --version and the help as well. A wrong call of a
// command is followed by its usage on `err` (without --json).
int RunCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

int RunList(const CliOptions& options, std::ostream& out, std::ostream& err);
// info [--raw]
int RunInfo(const CliOptions& options, std::ostream& out, std::ostream& err);
// The path of the first supported keyboard's command interface on the bus.
std::optional<std::string> FindKeyboardCommandPath();

}  // namespace velnor7
