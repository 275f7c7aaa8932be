#include "cli/SettingsCommands.h"

#include "cli/Arguments.h"
#include "cli/KeyboardSession.h"
#include "cli/VerbOutcome.h"
#include "keyboard/KeyboardSettings.h"
#include "platform/SystemKeyboardRepeat.h"

#include <sstream>

namespace velnor7 {
namespace {

const char* const kUsage =
    "settings takes get, or set with any of --polling-rate 0-3, --win-lock on|off, --wflag on|off, "
    "--key6 on|off, --repeat-rate 0-31, --repeat-delay 0-3";

Json::Value SettingsJson(const KeyboardSystemValues& values) {
    Json::Value json;
    json["pollingRate"] = values.pollingRate;
    json["winLock"] = values.winFlag != 0;
    json["wflag"] = values.wFlag != 0;
    json["key6"] = values.key6Flag != 0;
    json["repeatRate"] = values.repeat;
    json["repeatDelay"] = values.repeatDelay;
    json["repeatDelayMs"] = RepeatDelayMs(values.repeatDelay);
    return json;
}

std::string SettingsText(const KeyboardSystemValues& values) {
    std::ostringstream text;
    const auto onOff = [](uint16_t flag) { return flag != 0 ? "on" : "off"; };
    text << "polling rate " << values.pollingRate << "\nwin lock " << onOff(values.winFlag) << "\nwflag "
         << onOff(values.wFlag) << "\nkey6 " << onOff(values.key6Flag) << "\nrepeat rate " << values.repeat
         << "\nrepeat delay " << values.repeatDelay << " (" << RepeatDelayMs(values.repeatDelay) << " ms)\n";
    return text.str();
}

// The change the options ask for; the reason when they are not a valid call.
std::optional<KeyboardSettingsChange> ParseChange(const std::vector<std::string>& args, std::string& problem) {
    KeyboardSettingsChange change;
    bool any = false;
    for (size_t i = 1; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) {
            problem = option + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[i + 1];
        const auto number = [&](int high, std::optional<int>& into) {
            into = ParseNumber(value, 0, high);
            if (!into) problem = option + " takes a number from 0 to " + std::to_string(high);
        };
        const auto flag = [&](std::optional<bool>& into) {
            into = ParseOnOff(value);
            if (!into) problem = option + " takes on or off";
        };
        if (option == "--polling-rate") number(kMaxPollingRate, change.pollingRate);
        else if (option == "--repeat-rate") number(kMaxRepeatRate, change.repeatRate);
        else if (option == "--repeat-delay") number(kMaxRepeatDelay, change.repeatDelay);
        else if (option == "--win-lock") flag(change.winLock);
        else if (option == "--wflag") flag(change.wFlag);
        else if (option == "--key6") flag(change.key6Flag);
        else problem = "settings set does not know " + option;
        if (!problem.empty()) return std::nullopt;
        any = true;
    }
    if (!any) {
        problem = kUsage;
        return std::nullopt;
    }
    return change;
}

VerbOutcome Settings(const std::vector<std::string>& args) {
    const bool get = args.size() == 1 && args[0] == "get";
    const bool set = !args.empty() && args[0] == "set";
    if (!get && !set) return VerbOutcome::BadArguments(kUsage);
    std::string problem;
    const std::optional<KeyboardSettingsChange> change = set ? ParseChange(args, problem) : std::nullopt;
    if (set && !change) return VerbOutcome::BadArguments(problem);

    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    if (get) {
        const KeyboardSystemValues values = keyboard.Profile().ReadSystemStages();
        VerbOutcome outcome = VerbOutcome::Done(SettingsText(values), SettingsJson(values));
        return outcome;
    }
    const std::unique_ptr<ISystemKeyboardRepeat> repeat = MakeSystemKeyboardRepeat();
    const KeyboardSettingsWrite written = ApplyKeyboardSettings(keyboard.Profile(), keyboard.Configurator(), *repeat, *change);
    const KeyboardSystemValues values = keyboard.Profile().ReadSystemStages();
    if (!written.profile.Ok()) return VerbOutcome::Failed(written.profile.reason);
    if (written.lightRecord && !written.lightRecord->Ok()) {
        return VerbOutcome::Failed(written.lightRecord->reason + " (the profile keeps the new settings)");
    }
    std::string text = SettingsText(values);
    Json::Value details = SettingsJson(values);
    if (written.repeat) {
        if (written.repeat->outcome == KeyboardRepeatResult::Outcome::Failed) {
            return VerbOutcome::Failed("The key repeat was not set on this computer: " + written.repeat->reason +
                                       " (the profile keeps it)");
        }
        const bool applied = written.repeat->outcome == KeyboardRepeatResult::Outcome::Applied;
        text += applied ? "key repeat set: " + written.repeat->reason + "\n"
                        : "key repeat kept in the profile only: " + written.repeat->reason + "\n";
        details["repeatApplied"] = applied;
    }
    return VerbOutcome::Done(text, details);
}

}  // namespace

int RunSettings(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Settings(options.arguments), out, err);
}

}  // namespace velnor7
