#include "cli/CliOptions.h"

#include "cli/Arguments.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace velnor7 {

namespace {

struct CommandHelp {
    const char* name;
    bool takesArguments;
    const char* usage;  // lines indented by two, each ending in a newline
};

const CommandHelp kCommands[] = {
    {"list", false, "  list   every HID interface found, and the supported slot it matches\n"},
    {"info", true,
     "  info [--raw]   model, firmware version, key count and macro memory of each supported device\n"
     "                 --raw adds the 34-byte information block in hex\n"},
    {"light", true,
     "  light set [--mode N] [--brightness 0-5] [--speed 0-4] [--direction 0|1]\n"
     "            [--colour COLOUR] [--multicolour | --no-multicolour]\n"
     "         change the current profile's lighting and write it to the keyboard; what is\n"
     "         not given stays as it is. COLOUR is RRGGBB, #RRGGBB or a name (see below);\n"
     "         N is one of the keyboard's modes (velnor7ctl help light lists them)\n"
     "  light get       the keyboard's active light record\n"
     "  light off|on    switch the keyboard's lighting off or on (kept in the profile)\n"},
    {"keymap", true,
     "  keymap get      the keyboard's key map, one line per key\n"
     "  keymap set KEY CODE   give a key a code (three bytes, such as 200005); KEY is the name\n"
     "                  keymap get shows (\"Caps Lock\", \"F1\", any letter case) or its id (Caplk)\n"
     "  keymap reset    every key of the profile and the keyboard back to its default function\n"},
    {"macros", true,
     "  macros list     the keyboard's macros: number, name, events, identifier\n"
     "  macros show NAME   the events of a macro, with the pause after each\n"
     "  macros add NAME | rename OLD NEW | import FILE | export NAME FILE\n"
     "  macros delete NAME [--force]   delete a macro; keys of the current profile that play\n"
     "                  it take their default function again (only with --force), keys of later\n"
     "                  macros follow, and an attached keyboard takes macros and key map\n"
     "  macros write    write every macro of the keyboard's list into its memory\n"},
    {"profile", true,
     "  profile list    the keyboard's profiles (* marks the selected one)\n"
     "  profile select NAME|INDEX   switch to a profile and write it to the keyboard\n"
     "  profile add | copy | rename NEW | delete NAME|INDEX | reset\n"
     "  profile import FILE | export FILE\n"
     "                  copy, rename, reset and export act on the selected profile\n"},
    {"settings", true,
     "  settings get    the keyboard's report rate, key flags and the key repeat\n"
     "  settings set [--polling-rate 0-3] [--win-lock on|off] [--wflag on|off] [--key6 on|off]\n"
     "               [--repeat-rate 0-31] [--repeat-delay 0-3]\n"
     "                  store them in the profile, write the keyboard, set the computer's repeat\n"},
    {"update", true,
     "  update check    the versions the update service offers for each device's firmware and for\n"
     "                  this program, beside the installed ones\n"
     "  update download TARGET DIR   download the newer installer of TARGET (such as ZK7 or AP) into\n"
     "                  DIR; a file of that name is kept as NAME.old\n"
     "                  VELNOR7_UPDATE_URL=URL asks another update service\n"},
    {"help", true, "  help [COMMAND]  this text, or the usage of one command\n"},
};

const char kSynopsis[] = "usage: velnor7ctl [--simulate] [--trace] [--json] COMMAND [ARGUMENTS]\n"
                         "       velnor7ctl --help | --version | help COMMAND\n";

const char kOptions[] =
    "options:\n"
    "  --simulate  use the simulated keyboard instead of the USB bus\n"
    "              (VELNOR7_SIM_STATE=FILE keeps its memory between runs)\n"
    "  --trace     print the device exchanges on stderr\n"
    "  --json      print machine-readable JSON\n"
    "  -h, --help  print the usage (of the command, when one is given) and exit\n"
    "  --version   print the program's version and exit\n";

const CommandHelp* Find(const std::string& name) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandHelp& command) { return name == command.name; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::string ColourNameLines() {
    std::string text = "colour names:\n";
    std::string line;
    for (const NamedColour& colour : ColourNames()) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s %02x%02x%02x", colour.name, colour.rgb.red, colour.rgb.green, colour.rgb.blue);
        if (!line.empty() && line.size() + 2 + std::strlen(entry) > 78) {
            text += line + ",\n";
            line.clear();
        }
        line += (line.empty() ? "  " : ", ") + std::string(entry);
    }
    return text + line + "\n";
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& words, std::string& error) {
    CliOptions options;
    for (const std::string& word : words) {
        if (word == "--simulate") options.simulate = true;
        else if (word == "--trace") options.trace = true;
        else if (word == "--json") options.json = true;
        else if (word == "--help" || word == "-h") options.help = true;
        else if (word == "--version") options.version = true;
        else if (word.rfind("-", 0) == 0 && options.command.empty()) {
            error = "unknown option " + word;
            return std::nullopt;
        } else if (options.command.empty()) options.command = word;
        else options.arguments.push_back(word);
    }
    // Asked for the version, or for help without a command: nothing else matters.
    if (options.version || (options.help && options.command.empty())) return options;
    if (options.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const CommandHelp* command = Find(options.command);
    if (command == nullptr) {
        error = "unknown command '" + options.command + "'; the commands are " + CommandNames();
        return std::nullopt;
    }
    if (options.help) return options;
    if (!command->takesArguments && !options.arguments.empty()) {
        error = "'" + options.command + "' takes no arguments";
        return std::nullopt;
    }
    if (options.command == "help") {
        if (options.arguments.size() > 1) {
            error = "'help' takes one command at most";
            return std::nullopt;
        }
        if (!options.arguments.empty() && Find(options.arguments[0]) == nullptr) {
            error = "no command is named '" + options.arguments[0] + "'; the commands are " + CommandNames();
            return std::nullopt;
        }
    }
    return options;
}

std::string CommandNames() {
    std::string names;
    for (const CommandHelp& command : kCommands) names += (names.empty() ? "" : ", ") + std::string(command.name);
    return names;
}

std::string CliUsage() {
    std::string text = std::string(kSynopsis) + "\ncommands:\n";
    for (const CommandHelp& command : kCommands) text += command.usage;
    return text + "\n" + ColourNameLines() + "\n" + kOptions;
}

std::string CommandUsage(const std::string& name) {
    const CommandHelp* command = Find(name);
    if (command == nullptr) return {};
    std::string text = "usage: velnor7ctl [--simulate] [--trace] [--json] " + name + (command->takesArguments ? " ..." : "") +
                       "\n\n" + command->usage;
    if (name == "light") text += "\n" + ColourNameLines();
    return text;
}

}  // namespace velnor7
