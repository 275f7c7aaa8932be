#include "keyboard/AreaOverlay.h"

#include "core/LightEffects.h"
#include "core/LightTables.h"
#include "keyboard/LightPresetPlayback.h"

namespace velnor7 {
namespace {

constexpr uint8_t kBlinkHueStride = 14;

uint8_t NextHue(uint8_t hue, unsigned stride) {
    const unsigned next = hue + stride;
    return next >= kWheelPeriod ? 0 : static_cast<uint8_t>(next);
}

Rgb EntryColour(const LightListEntry& entry) { return Rgb{entry.red, entry.green, entry.blue}; }

}  // namespace

void AreaOverlay::Load(std::vector<LightListEntry> entries) {
    std::lock_guard lock(lock_);
    entries_ = std::move(entries);
    states_.assign(entries_.size(), EntryState{});
    animated_ = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const LightListEntry& entry = entries_[i];
        EntryState& state = states_[i];
        state.blinkPeriodMs = FlashPeriodMs(entry.speed);
        if (entry.present != 0) state.cyclePeriod = PassesPerMove(entry.speed);
        animated_ |= (entry.present != 0 && (entry.mode == kBreathe || entry.mode == kColourCycle)) || entry.mode == kBlink;
    }
}

bool AreaOverlay::Animated() const {
    std::lock_guard lock(lock_);
    return animated_;
}

void AreaOverlay::Pass(LedColours& leds, uint64_t nowMs) {
    std::lock_guard lock(lock_);
    const size_t count = std::min(entries_.size(), static_cast<size_t>(leds.Count()));
    for (size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = entries_[i];
        if (entry.present == 0 || entry.mode != kBreathe) continue;
        EntryState& state = states_[i];
        const Rgb colour = entry.multiColor != 0 ? ColourWheel[state.breatheHue] : EntryColour(entry);
        state.breathePhase = static_cast<uint8_t>(state.breathePhase + entry.speed + 4);
        if (state.breathePhase >= kBreathPeriod) {
            state.breathePhase = 0;
            state.breatheHue = NextHue(state.breatheHue, 1);
        }
        const auto alpha = static_cast<uint8_t>((BreathingTable[state.breathePhase] * BrightnessOfLevel(entry.brightness)) >> 8);
        leds.Set(static_cast<int>(i), LedState{colour, alpha});
    }
    for (size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = entries_[i];
        if (entry.mode == kStatic) leds.Set(static_cast<int>(i), LedState{EntryColour(entry), BrightnessOfLevel(entry.brightness)});
    }
    for (size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = entries_[i];
        EntryState& state = states_[i];
        if (nowMs - state.blinkToggleMs >= state.blinkPeriodMs) {
            state.blinkOn = !state.blinkOn;
            state.blinkToggleMs = nowMs;
            state.blinkHue = NextHue(state.blinkHue, kBlinkHueStride);
        }
        if (entry.mode != kBlink) continue;
        const Rgb colour = entry.multiColor != 0 ? ColourWheel[state.blinkHue] : EntryColour(entry);
        leds.Set(static_cast<int>(i), state.blinkOn ? LedState{colour, BrightnessOfLevel(entry.brightness)} : LedState{});
    }
    for (size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = entries_[i];
        if (entry.present == 0 || entry.mode != kColourCycle) continue;
        EntryState& state = states_[i];
        if (++state.cycleCount >= state.cyclePeriod) {
            state.cycleCount = 0;
            state.cycleHue = NextHue(state.cycleHue, 1);
        }
        leds.Set(static_cast<int>(i), LedState{ColourWheel[state.cycleHue], BrightnessOfLevel(entry.brightness)});
    }
    for (size_t i = 0; i < count; ++i)
        if (entries_[i].mode == kOff) leds.Set(static_cast<int>(i), LedState{});
}

}  // namespace velnor7
