// The keyboard on the bus with its current profile, as the desktop program has them: the
// command channel open on the keyboard, the profile file of the list's selected profile
// loaded, and the configurator over both.
#pragma once

#include "keyboard/KeyboardConfigurator.h"
#include "profiles/CKeyboardProfiledata.h"

#include <memory>
#include <optional>
#include <string>

namespace velnor7 {

class KeyboardSession {
public:
    KeyboardSession() = default;
    ~KeyboardSession();
    KeyboardSession(const KeyboardSession&) = delete;
    KeyboardSession& operator=(const KeyboardSession&) = delete;

    // The reason when the keyboard or its profile cannot be used.
    std::optional<std::string> Open();

    CKeyboardConfigurator& Configurator() { return *configurator_; }
    CKeyboardProfiledata& Profile() { return profile_; }
    // The reason when the profile could not be saved.
    std::optional<std::string> SaveProfile();
    // Everything the profile says, written to the keyboard as a profile switch does: the
    // light record, the macros and the key map (after reading the keyboard's own). The reason
    // when something was not written.
    std::optional<std::string> WriteWholeProfile();

    static std::string Folder();
    static std::string DefaultProfile();

private:
    CDeviceCommandChannel channel_;
    CKeyboardProfiledata profile_;
    std::unique_ptr<CKeyboardConfigurator> configurator_;
};

}  // namespace velnor7
