// The host-rendered light effects shared by every device kind. Each step works
// out the one colour and brightness that every LED of the page shows next; the
// page writes it into its LEDs.
#pragma once

#include "core/LightTables.h"

#include <cstdint>
#include <optional>

namespace velnor7 {

// One LED as shown and sent: each colour byte is scaled by brightness / 256.
struct LedState {
    Rgb colour;
    uint8_t brightness = 0;
    friend bool operator==(const LedState&, const LedState&) = default;
};

// What the effects read of a page's lighting.
struct LightingState {
    uint8_t mode = 0;
    uint8_t brightnessLevel = 0;  // index into BrightnessTable
    uint8_t speed = 0;            // 0 is the slowest
    uint8_t direction = 0;        // non-zero steps forward
    uint8_t colourful = 0;        // non-zero takes colours from the wheel
    Rgb colour;
};

// What an effect remembers between its steps.
struct EffectState {
    uint8_t phase = 0;
    uint8_t colourStep = 0;
    bool blinkOn = false;
    uint64_t lastToggleMs = 0;
};

uint8_t LevelOf(const LightingState& lighting);  // the brightness, out-of-range levels read as the brightest
// Milliseconds between two flash toggles at a speed; 0 toggles on every step.
uint32_t FlashPeriodMs(uint8_t speed);

LedState BreathingEffect(const LightingState& lighting, EffectState& state);
LedState PaletteBreathingEffect(const LightingState& lighting, EffectState& state);
LedState StaticEffect(const LightingState& lighting);
LedState SpectrumEffect(const LightingState& lighting, EffectState& state);
LedState FlashEffect(const LightingState& lighting, EffectState& state, uint64_t nowMs);
LedState PaletteFlashEffect(const LightingState& lighting, EffectState& state, uint64_t nowMs);
LedState LightsOffEffect();

// One effect run across several devices at once.
enum class SyncType { Spectrum, Breathing, Static, Flash, Off };

// Which synchronised effect a device's own mode stands for; none for modes
// that have no counterpart on the other kinds.
std::optional<SyncType> SyncTypeForMode(uint16_t deviceType, uint8_t mode);
// The device kind's own mode for a synchronised effect.
uint8_t ModeForSyncType(uint16_t deviceType, SyncType type);

LedState SyncFrame(SyncType type, const LightingState& lighting, EffectState& state, uint64_t nowMs);

}  // namespace velnor7
