#include "keyboard/KeyboardLighting.h"

namespace velnor7 {

LightingWrite ApplyLighting(CKeyboardProfiledata& profile, CKeyboardConfigurator& configurator, LightInfoRecord light,
                            const LightingChange& change, const std::function<void(const LightInfoRecord&)>& takeEffect) {
    LightingWrite write;
    change.ApplyTo(light);
    write.light = light;
    profile.WriteLightInfo(light);
    // A profile file that cannot be written does not keep the keyboard from taking what the
    // user chose: the user is told the file lags behind.
    if (profile.Save() != 0) {
        write.profile = DeviceResult::Failure(DeviceError::ProfileNotSaved,
                                              "The lighting was changed, but the profile " + profile.GetPath() +
                                                  " could not be saved");
    }
    if (takeEffect) takeEffect(light);
    write.device = change.SwitchOnly() ? configurator.WriteLedSwitch(*change.lightsOff) : configurator.WriteLightRecord();
    return write;
}

}  // namespace velnor7
