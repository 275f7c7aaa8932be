// The keyboard's lighting as a user changes it, from the lighting panel or the command line:
// the change goes into the profile, the profile is saved, and the keyboard takes the light
// record (or, for the light switch alone, the one switch byte).
#pragma once

#include "core/DeviceResult.h"
#include "keyboard/KeyboardConfigurator.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/LightingChange.h"

#include <functional>

namespace velnor7 {

struct LightingWrite {
    LightInfoRecord light;  // as stored
    // ProfileNotSaved: the profile in memory has the change and the keyboard was sent it, but
    // the file does not have it.
    DeviceResult profile;
    DeviceResult device;  // the light record or the light switch
    bool Ok() const { return profile.Ok() && device.Ok(); }
};

// Stores `change` over `light` (the record the caller shows) in the profile and saves it;
// `takeEffect` then runs with the stored record (a page restarts its preview there) before
// the keyboard is written.
LightingWrite ApplyLighting(CKeyboardProfiledata& profile, CKeyboardConfigurator& configurator, LightInfoRecord light,
                            const LightingChange& change,
                            const std::function<void(const LightInfoRecord&)>& takeEffect = {});

}  // namespace velnor7
