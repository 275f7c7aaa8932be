#include "keyboard/KeyboardSettings.h"

#include <string>

namespace velnor7 {

namespace {

// Why the change cannot be made; empty when every value is in its range.
std::string OutOfRange(const KeyboardSettingsChange& change) {
    const auto check = [](const std::optional<int>& value, int max, const char* name) -> std::string {
        if (!value || (*value >= 0 && *value <= max)) return {};
        return std::string("the ") + name + " must be 0.." + std::to_string(max) + ", not " + std::to_string(*value);
    };
    for (std::string problem : {check(change.pollingRate, kMaxPollingRate, "report rate"),
                                check(change.repeatRate, kMaxRepeatRate, "repeat rate"),
                                check(change.repeatDelay, kMaxRepeatDelay, "repeat delay")}) {
        if (!problem.empty()) return problem;
    }
    return {};
}

uint16_t Flag(bool on) { return on ? 1 : 0; }

}  // namespace

bool KeyboardSettingsWrite::Ok() const {
    return profile.Ok() && (!lightRecord || lightRecord->Ok()) &&
           (!repeat || repeat->outcome != KeyboardRepeatResult::Outcome::Failed);
}

KeyboardSettingsWrite ApplyKeyboardSettings(CKeyboardProfiledata& profile, CKeyboardConfigurator& configurator,
                                            ISystemKeyboardRepeat& repeat, const KeyboardSettingsChange& change) {
    KeyboardSettingsWrite write;
    if (const std::string problem = OutOfRange(change); !problem.empty()) {
        write.profile =
            DeviceResult::Failure(DeviceError::BadArgument, "The keyboard settings were not changed: " + problem);
        return write;
    }
    KeyboardSystemValues values = profile.ReadSystemStages();
    if (change.pollingRate) values.pollingRate = static_cast<uint16_t>(*change.pollingRate);
    if (change.winLock) values.winFlag = Flag(*change.winLock);
    if (change.wFlag) values.wFlag = Flag(*change.wFlag);
    if (change.key6Flag) values.key6Flag = Flag(*change.key6Flag);
    if (change.repeatRate) values.repeat = static_cast<uint16_t>(*change.repeatRate);
    if (change.repeatDelay) values.repeatDelay = static_cast<uint16_t>(*change.repeatDelay);
    profile.WriteSystemStages(values);
    // A profile file that cannot be written does not keep the keyboard or the computer from
    // taking what the user chose: the user is told the file lags behind.
    if (profile.Save() != 0) {
        const std::string what = "The keyboard settings were changed, but the profile " + profile.GetPath();
        write.profile = DeviceResult::Failure(DeviceError::ProfileNotSaved, what + " could not be saved");
    }
    if (change.pollingRate || change.winLock || change.wFlag || change.key6Flag) {
        write.lightRecord = configurator.WriteLightRecord();
    }
    if (change.repeatRate || change.repeatDelay) write.repeat = repeat.Apply({change.repeatRate, change.repeatDelay});
    return write;
}

}  // namespace velnor7
