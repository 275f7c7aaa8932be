#include "profiles/LightingChange.h"

namespace velnor7 {

bool LightingChange::Empty() const {
    return !mode && !brightness && !speed && !direction && !multicolour && !colour && !preset && !customGroup &&
           !lightsOff;
}

bool LightingChange::SwitchOnly() const {
    LightingChange rest = *this;
    rest.lightsOff.reset();
    return lightsOff.has_value() && rest.Empty();
}

void LightingChange::ApplyTo(LightInfoRecord& light) const {
    if (mode) light.selectItem = *mode;
    if (brightness) light.light = *brightness;
    if (speed) light.speed = *speed;
    if (direction) light.fx = *direction;
    if (multicolour) light.multiColor = *multicolour;
    if (colour) {
        light.red = colour->red;
        light.green = colour->green;
        light.blue = colour->blue;
    }
    if (preset) light.zzccSelectItem = *preset;
    if (customGroup) light.customGroup = *customGroup;
    if (lightsOff) light.ledStaus = *lightsOff ? 1 : 0;
}

}  // namespace velnor7
