#include "cli/CliOptions.h"

namespace velnor7 {

namespace {
const char* const kCommandsWithoutArguments[] = {"list", "info"};
const char* const kCommandsWithArguments[] = {"light", "keymap", "macros", "profile", "settings"};
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& words, std::string& error) {
    CliOptions options;
    for (const std::string& word : words) {
        if (word == "--simulate") options.simulate = true;
        else if (word == "--trace") options.trace = true;
        else if (word == "--json") options.json = true;
        else if (word.rfind("--", 0) == 0 && options.command.empty()) {
            error = "unknown option " + word;
            return std::nullopt;
        } else if (options.command.empty()) options.command = word;
        else options.arguments.push_back(word);
    }
    if (options.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    for (const char* known : kCommandsWithArguments) {
        if (options.command == known) return options;
    }
    for (const char* known : kCommandsWithoutArguments)
        if (options.command == known) {
            if (!options.arguments.empty()) {
                error = "'" + options.command + "' takes no arguments";
                return std::nullopt;
            }
            return options;
        }
    error = "unknown command '" + options.command + "'";
    return std::nullopt;
}

std::string CliUsage() {
    return "usage: velnor7ctl [--simulate] [--trace] [--json] COMMAND [ARGUMENTS]\n"
           "\n"
           "commands:\n"
           "  list   every HID interface found, and the supported slot it matches\n"
           "  info   read the information block of each supported device\n"
           "  light set [--mode N] [--brightness 0-5] [--speed 0-4] [--direction 0|1]\n"
           "            [--colour RRGGBB] [--multicolour]\n"
           "         change the current profile's lighting and write it to the keyboard\n"
           "  light get       the keyboard's active light record\n"
           "  light off|on    switch the keyboard's lighting off or on\n"
           "  keymap get      the keyboard's key map, one line per key\n"
           "  keymap set KEY CODE   give a key (such as A or F1) a code (three bytes, such as 200005)\n"
           "  macros write    write every macro of the keyboard's list into its memory\n"
           "  profile list    the keyboard's profiles (* marks the selected one)\n"
           "  profile select NAME|INDEX   switch to a profile and write it to the keyboard\n"
           "  profile add | copy | rename NEW | delete NAME|INDEX | reset\n"
           "  profile import FILE | export FILE\n"
           "                  copy, rename, reset and export act on the selected profile\n"
           "  settings get    the keyboard's report rate, key flags and the key repeat\n"
           "  settings set [--polling-rate 0-3] [--win-lock on|off] [--wflag on|off] [--key6 on|off]\n"
           "               [--repeat-rate 0-31] [--repeat-delay 0-3]\n"
           "                  store them in the profile, write the keyboard, set the computer's repeat\n"
           "\n"
           "options:\n"
           "  --simulate  use the simulated keyboard instead of the USB bus\n"
           "              (VELNOR7_SIM_STATE=FILE keeps its memory between runs)\n"
           "  --trace     print the device exchanges on stderr\n"
           "  --json      print machine-readable JSON\n";
}

}  // namespace velnor7
