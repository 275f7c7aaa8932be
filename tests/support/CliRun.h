#pragma once
// velnor7ctl run in the test's own process: its exit status and what it printed.

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/VerbOutcome.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velnor7::testing {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// The words as the program takes them: parsed, then run (a refused call has the reason in err).
inline CliRun RunCli(const std::vector<std::string>& words) {
    std::string error;
    const std::optional<CliOptions> options = ParseCliOptions(words, error);
    if (!options) return {kExitBadArguments, "", error};
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommand(*options, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace velnor7::testing
