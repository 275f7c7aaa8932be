#include "core/LightEffects.h"

#include "core/DeviceCatalogue.h"

#include <algorithm>

namespace velnor7 {
namespace {

constexpr uint8_t kWheelStride = 16;
constexpr uint8_t kSyncFlashStride = 14;
constexpr uint32_t kFlashUnitMs = 200;

Rgb ColourOf(const LightingState& lighting, uint8_t wheelIndex) {
    return lighting.colourful != 0 ? ColourWheel[wheelIndex] : lighting.colour;
}

uint8_t Scaled(uint8_t value, uint8_t level) { return static_cast<uint8_t>(value * level / 256); }

// Toggles the blink flag once the period has passed; true when it toggled.
bool FlashToggled(const LightingState& lighting, EffectState& state, uint64_t nowMs) {
    if (nowMs - state.lastToggleMs < FlashPeriodMs(lighting.speed)) return false;
    state.blinkOn = !state.blinkOn;
    state.lastToggleMs = nowMs;
    return true;
}

bool IsKeyboard(uint16_t deviceType) { return deviceType == kTypeKeyboard; }

}  // namespace

uint8_t LevelOf(const LightingState& lighting) {
    return BrightnessTable[std::min<size_t>(lighting.brightnessLevel, BrightnessTable.size() - 1)];
}

uint32_t FlashPeriodMs(uint8_t speed) {
    return FlashPeriodTable[std::min<size_t>(speed, FlashPeriodTable.size() - 1)] * kFlashUnitMs;
}

LedState BreathingEffect(const LightingState& lighting, EffectState& state) {
    state.phase = StepPhase(lighting.direction != 0, kBreathPeriod, state.phase, 1);
    if (state.phase == 0) {
        const unsigned next = static_cast<unsigned>(state.colourStep) + kWheelStride;
        // Step 192 still shows (it is entry 0 again); the one after starts over.
        state.colourStep = next > kWheelPeriod ? 0 : static_cast<uint8_t>(next);
    }
    return {ColourOf(lighting, state.colourStep), Scaled(BreathingTable[state.phase], LevelOf(lighting))};
}

LedState PaletteBreathingEffect(const LightingState& lighting, EffectState& state) {
    state.phase = StepPhase(lighting.direction != 0, kBreathPeriod, state.phase, 1);
    if (state.phase == 0) state.colourStep = StepPhase(true, Palette4.size(), state.colourStep, 1);
    state.colourStep %= Palette4.size();
    return {Palette4[state.colourStep], Scaled(BreathingTable[state.phase], LevelOf(lighting))};
}

LedState StaticEffect(const LightingState& lighting) { return {lighting.colour, LevelOf(lighting)}; }

LedState SpectrumEffect(const LightingState& lighting, EffectState& state) {
    state.phase = StepPhase(lighting.direction != 0, kWheelPeriod, state.phase, 1);
    return {ColourWheel[state.phase], LevelOf(lighting)};
}

LedState FlashEffect(const LightingState& lighting, EffectState& state, uint64_t nowMs) {
    if (FlashToggled(lighting, state, nowMs)) state.phase = StepPhase(true, kWheelPeriod, state.phase, kWheelStride);
    if (!state.blinkOn) return LightsOffEffect();
    return {ColourOf(lighting, state.phase), LevelOf(lighting)};
}

LedState PaletteFlashEffect(const LightingState& lighting, EffectState& state, uint64_t nowMs) {
    if (FlashToggled(lighting, state, nowMs)) state.phase = StepPhase(true, Palette4.size(), state.phase, 1);
    state.phase %= Palette4.size();
    if (!state.blinkOn) return LightsOffEffect();
    return {Palette4[state.phase], LevelOf(lighting)};
}

LedState LightsOffEffect() { return {}; }

std::optional<SyncType> SyncTypeForMode(uint16_t deviceType, uint8_t mode) {
    if (IsKeyboard(deviceType)) {
        switch (mode) {
        case 1: return SyncType::Spectrum;
        case 5: return SyncType::Breathing;
        case 6: return SyncType::Static;
        case 17: return SyncType::Flash;
        case 23: return SyncType::Off;
        default: return std::nullopt;
        }
    }
    switch (mode) {
    case 1: return SyncType::Spectrum;
    case 2: return SyncType::Breathing;
    case 3: return SyncType::Static;
    case 4: return SyncType::Flash;
    case 8: return SyncType::Off;
    default: return std::nullopt;
    }
}

uint8_t ModeForSyncType(uint16_t deviceType, SyncType type) {
    const bool keyboard = IsKeyboard(deviceType);
    switch (type) {
    case SyncType::Spectrum: return 1;
    case SyncType::Breathing: return keyboard ? 5 : 2;
    case SyncType::Static: return keyboard ? 6 : 3;
    case SyncType::Flash: return keyboard ? 17 : 4;
    case SyncType::Off: return keyboard ? 23 : 8;
    }
    return 1;
}

LedState SyncFrame(SyncType type, const LightingState& lighting, EffectState& state, uint64_t nowMs) {
    switch (type) {
    case SyncType::Breathing: {
        state.phase = StepPhase(lighting.direction != 0, kBreathPeriod, state.phase, 1);
        Rgb colour = lighting.colour;
        if (lighting.colourful != 0) {
            if (state.phase <= 1) state.colourStep = StepPhase(true, kWheelPeriod, state.colourStep, kWheelStride);
            colour = ColourWheel[state.colourStep];
        }
        return {colour, Scaled(BreathingTable[state.phase], LevelOf(lighting))};
    }
    case SyncType::Static: return StaticEffect(lighting);
    case SyncType::Flash:
        if (FlashToggled(lighting, state, nowMs))
            state.colourStep = StepPhase(true, kWheelPeriod, state.colourStep, kSyncFlashStride);
        if (!state.blinkOn) return LightsOffEffect();
        return {ColourOf(lighting, state.colourStep), LevelOf(lighting)};
    case SyncType::Spectrum:
        state.phase = StepPhase(true, kWheelPeriod, state.phase, 1);
        return {ColourWheel[state.phase], LevelOf(lighting)};
    case SyncType::Off: return LightsOffEffect();
    }
    return LightsOffEffect();
}

}  // namespace velnor7
