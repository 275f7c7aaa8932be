#include "core/page/LightPanelLayout.h"

namespace velnor7 {

namespace {

constexpr PartState E = PartState::Enabled;
constexpr PartState D = PartState::Disabled;
constexpr PartState H = PartState::Hidden;
constexpr PartState U = PartState::Unchanged;

LightPanelLayout Row(PartState multiColour, PartState colour, PartState palette, PartState direction,
                     PartState brightness, PartState speed) {
    LightPanelLayout layout;
    layout.multiColour = multiColour;
    layout.colour = colour;
    layout.palette = palette;
    layout.direction = direction;
    layout.brightness = brightness;
    layout.speed = speed;
    return layout;
}

LightPanelLayout WithSameMode(LightPanelLayout layout) {
    layout.sameModeMayShow = true;
    return layout;
}

LightPanelLayout WithDirectionTexts(LightPanelLayout layout, const char* first, const char* second) {
    layout.directionFirst = first;
    layout.directionSecond = second;
    return layout;
}

}  // namespace

LightPanelLayout KeyboardLightLayout(int mode) {
    switch (mode) {
    case 1:
    case 2:
    case 3: return Row(E, E, E, U, E, E);
    case 4: return Row(D, D, D, D, E, E);
    case 5: return WithSameMode(Row(E, E, E, D, E, E));
    case 6: return WithSameMode(Row(E, E, E, D, E, D));
    case 7:
    case 8:
    case 9:
    case 10:
    case 13:
    case 14:
    case 15: return Row(E, E, E, D, E, E);
    case 11: return Row(D, D, D, D, E, D);
    case 12:
        return WithDirectionTexts(Row(D, D, D, U, E, E), "light_set_down_to_up_text", "light_set_up_to_down_text");
    case 16: return Row(E, E, E, D, E, D);
    case 17: {
        LightPanelLayout layout = Row(E, D, D, D, E, H);
        layout.presetCombo = true;
        return layout;
    }
    case 18:
        return WithDirectionTexts(Row(D, D, D, E, E, D), "light_set_outside_to_inside_text",
                                  "light_set_inside_to_outside_text");
    case 19:
    case 21: return Row(E, D, E, U, E, E);
    case 20: {
        LightPanelLayout layout = Row(D, E, E, D, E, H);
        layout.customSets = true;
        return layout;
    }
    case 23: return WithSameMode(Row(D, D, D, U, H, H));
    case 24: return Row(E, D, E, D, E, E);
    default: return Row(D, D, D, D, D, D);
    }
}

std::optional<LightPanelLayout> PeripheralLightLayout(int deviceType, int mode) {
    if (deviceType != kPanelTypeMouse && deviceType != kPanelTypeMousePad && deviceType != kPanelTypeHeadsetAlt &&
        deviceType != kPanelTypeHeadset) {
        return std::nullopt;
    }
    const bool mouse = deviceType == kPanelTypeMouse;
    // Modes 5 to 7 are the mouse's own; the other kinds have nothing to set there.
    const PartState mouseOnly = mouse ? E : D;
    switch (mode) {
    case 0: return Row(E, E, E, E, E, E);
    case 1: return WithSameMode(Row(D, D, D, D, E, E));
    case 2: return WithSameMode(Row(E, E, E, D, E, E));
    case 3: return WithSameMode(Row(D, E, E, D, E, D));
    case 4: return WithSameMode(Row(E, E, E, D, E, E));
    case 5: return Row(mouseOnly, mouseOnly, mouseOnly, mouseOnly, mouseOnly, mouseOnly);
    case 6:
    case 7: return Row(D, D, D, D, mouseOnly, mouseOnly);
    case 8: return WithSameMode(Row(D, D, D, D, D, D));
    default: return Row(D, D, D, D, D, D);
    }
}

}  // namespace velnor7
