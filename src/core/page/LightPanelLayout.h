// Which parts of the lighting panel a light mode uses: the keyboard's modes, and those of the
// mouse, the mouse pad and the headset. Plain data, so that it is checked without a window.
#pragma once

#include <optional>

namespace velnor7 {

// What a part of the panel does in a mode.
enum class PartState {
    Unchanged,  // as the defaults left it
    Enabled,    // shown and usable
    Disabled,   // shown, greyed out
    Hidden,     // not shown, and disabled
};

struct LightPanelLayout {
    PartState multiColour = PartState::Unchanged;  // "deng_7color_check"
    PartState colour = PartState::Unchanged;       // "deng_color_layout": the R/G/B edits and the current colour
    PartState palette = PartState::Unchanged;      // "colorpallet_layout": the palette and the preset colours
    PartState direction = PartState::Unchanged;    // "deng_fx_layout"
    PartState brightness = PartState::Unchanged;   // "deng_light_layout"
    PartState speed = PartState::Unchanged;        // "deng_speed_layout"
    // "deng_same_mode" shows in this mode when the lighting may be synchronised.
    bool sameModeMayShow = false;
    // Keyboard only; the defaults of every keyboard mode hide them.
    bool presetCombo = false;  // "light_zzcc_layout"
    bool customSets = false;   // "lightcustom_layout" and "deng_on_or_off"
    // Language ids of the direction pair ("deng_FXL_check", "deng_FXR_check"); the keyboard's
    // defaults when unset. Unused for the other kinds, whose texts stay as the layout has them.
    std::optional<const char*> directionFirst;
    std::optional<const char*> directionSecond;
};

inline constexpr int kPanelTypeKeyboard = 1;
inline constexpr int kPanelTypeMouse = 2;
inline constexpr int kPanelTypeMousePad = 3;
inline constexpr int kPanelTypeHeadsetAlt = 4;  // takes the headset's layouts
inline constexpr int kPanelTypeWirelessMouse = 6;
inline constexpr int kPanelTypeHeadset = 7;

inline constexpr const char* kKeyboardDirectionFirst = "light_set_right_to_left_text";
inline constexpr const char* kKeyboardDirectionSecond = "light_set_left_to_right_text";

// The layout of `mode` on a keyboard.
LightPanelLayout KeyboardLightLayout(int mode);
// The layout of `mode` on a mouse, mouse pad or headset page (types 2, 3, 4, 7); none for
// other types (a wireless mouse page, type 6, keeps whatever it shows).
std::optional<LightPanelLayout> PeripheralLightLayout(int deviceType, int mode);

}  // namespace velnor7
