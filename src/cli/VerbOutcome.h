// What one command of velnor7ctl came to, and how it is printed: the output on stdout,
// or the reason on stderr with a non-zero exit status. With --json every failure is also
// {"ok": false, "error": "<reason>"} on stdout, so that scripts read one format.
#pragma once

#include "cli/CliOptions.h"

#include <json/value.h>

#include <iosfwd>
#include <string>

namespace velnor7 {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;        // the device or a file failed
inline constexpr int kExitBadArguments = 2;

struct VerbOutcome {
    int status = kExitOk;
    std::string error;  // the reason, when status is not kExitOk
    // The output. A failure may carry what did work: its text is printed as well, and
    // its JSON object gets "ok" and "error".
    std::string text;   // without --json
    Json::Value json;   // with --json

    static VerbOutcome Failed(std::string reason) { return {kExitFailed, std::move(reason), {}, {}}; }
    static VerbOutcome BadArguments(std::string reason) { return {kExitBadArguments, std::move(reason), {}, {}}; }
    // Success with the text output; the JSON output is {"ok": true} plus `details`.
    static VerbOutcome Done(std::string text, Json::Value details = Json::Value(Json::objectValue));
};

// Prints the outcome and returns the exit status.
int PrintOutcome(bool json, const VerbOutcome& outcome, std::ostream& out, std::ostream& err);
void PrintJson(std::ostream& out, const Json::Value& value);

}  // namespace velnor7
