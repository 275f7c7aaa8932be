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
    bool help = false;     // --help or -h: the usage of the command, or of all without one
    bool version = false;  // --version
    std::string command;
    std::vector<std::string> arguments;
};

// Nullopt (with the reason in error) when the words are not a valid call.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& words, std::string& error);
// The whole usage: every command and the options.
std::string CliUsage();
// The usage of one command and its sub-commands; empty when no command has that name.
std::string CommandUsage(const std::string& command);
// "list, info, ...": every command, for messages.
std::string CommandNames();

}  // namespace velnor7
