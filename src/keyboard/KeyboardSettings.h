// The keyboard's system options, kept in its profile ("SystemStages"): the report rate and
// three flags, which the keyboard takes inside its light record, and the computer's key
// repeat, which the system takes. One change at a time from the keyboard page's settings
// panel, or several at once from the command line: stored in the profile, saved, then sent.
#pragma once

#include "core/DeviceResult.h"
#include "keyboard/KeyboardConfigurator.h"
#include "platform/SystemKeyboardRepeat.h"
#include "profiles/CKeyboardProfiledata.h"

#include <optional>

namespace velnor7 {

inline constexpr int kMaxPollingRate = 3;

// Only the values given change. (Initialised members let a change name only its values.)
struct KeyboardSettingsChange {
    std::optional<int> pollingRate = {};  // 0..kMaxPollingRate
    std::optional<bool> winLock = {};     // WinFlag
    std::optional<bool> wFlag = {};
    std::optional<bool> key6Flag = {};
    std::optional<int> repeatRate = {};   // 0..kMaxRepeatRate
    std::optional<int> repeatDelay = {};  // 0..kMaxRepeatDelay
};

struct KeyboardSettingsWrite {
    // BadArgument: a value out of range; nothing was changed or sent. ProfileNotSaved: the
    // profile in memory has the change and it was sent on, but the file does not have it.
    DeviceResult profile;
    std::optional<DeviceResult> lightRecord;     // when the report rate or a flag changed
    std::optional<KeyboardRepeatResult> repeat;  // when the repeat rate or delay changed

    // A session without a key repeat setting counts as success: the profile keeps the values.
    bool Ok() const;
};

KeyboardSettingsWrite ApplyKeyboardSettings(CKeyboardProfiledata& profile, CKeyboardConfigurator& configurator,
                                            ISystemKeyboardRepeat& repeat, const KeyboardSettingsChange& change);

}  // namespace velnor7
