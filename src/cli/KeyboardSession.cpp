#include "cli/KeyboardSession.h"

#include "cli/Commands.h"
#include "common/Paths.h"
#include "profiles/ProfileList.h"

namespace velnor7 {

KeyboardSession::~KeyboardSession() { channel_.Transport().Close(); }

std::string KeyboardSession::Folder() { return UserDataDirectory("keyboard"); }

std::string KeyboardSession::DefaultProfile() { return DefaultDataDirectory() + "keyboard.Json"; }

std::optional<std::string> KeyboardSession::Open() {
    const std::optional<std::string> path = FindKeyboardCommandPath();
    if (!path) return "no keyboard found";
    {
        std::lock_guard lock(channel_.TransportLock());
        // As its one owner: a keyboard another program drives (the window, say) is left alone.
        if (channel_.Transport().Open(*path, true, true, true, true) != 1) {
            const CHidDevice& transport = channel_.Transport();
            if (transport.OpenError() == HidOpenError::InUse)
                return "the keyboard is " + transport.OpenFailure() + "; nothing was done";
            return *path + ": cannot open the keyboard: " + transport.OpenFailure();
        }
        channel_.SetOpen(true);
    }
    profile_.SetDefaultPath(DefaultProfile());
    // What is wrong with the files has been said above; without a profile nothing is done.
    if (!profile_.SetProfileFile(Folder(), CProfileList(Folder(), DefaultProfile()).CurrentUuid())) {
        return "the keyboard's profile list cannot be used; nothing was done";
    }
    profile_.Load(profile_.GetPath());
    configurator_ = std::make_unique<CKeyboardConfigurator>(channel_, profile_, Folder());
    return std::nullopt;
}

std::optional<std::string> KeyboardSession::SaveProfile() {
    if (profile_.Save() == 0) return std::nullopt;
    return "the profile " + profile_.GetPath() + " cannot be written; nothing was sent to the keyboard";
}

std::optional<std::string> KeyboardSession::WriteWholeProfile() {
    if (const DeviceResult written = configurator_->WriteLightRecord(); !written.Ok()) return written.reason;
    if (const MacroWrite macros = configurator_->WriteMacros(); !macros.result.Ok()) return macros.result.reason;
    if (const DeviceResult readOut = configurator_->ReadOut(); !readOut.Ok()) return readOut.reason;
    if (const DeviceResult keyMap = configurator_->WriteKeyMap(); !keyMap.Ok()) return keyMap.reason;
    return std::nullopt;
}

}  // namespace velnor7
