// Command line of velnor7ctl.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velnor7 {

struct CliOptions {
    bool simulate = false;  // attach the simulated keyboard instead of the real bus
    bool trace = false;
    bool json = false;
    std::string command;
    std::vector<std::string> arguments;
};

// Nullopt (with the reason in error) when the words are not a valid call.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& words, std::string& error);
std::string CliUsage();

}  // namespace velnor7
