#include "keyboard/LightPresetPlayback.h"

#include "core/LightEffects.h"
#include "core/LightTables.h"
#include "keyboard/PreviewTables.h"

#include <algorithm>
#include <utility>

namespace velnor7 {
namespace {

constexpr uint8_t kStaticPeriod = 9;
constexpr uint8_t kBlinkHueStride = 14;
constexpr uint8_t kWaveStride = 12;

uint8_t Scale(uint8_t a, uint8_t b) { return static_cast<uint8_t>((a * b) >> 8); }

// Passes per spectrum move at a speed: faster than the other step effects.
uint8_t SpectrumPassesPerMove(uint8_t speed) {
    static constexpr std::array<uint8_t, 6> kPasses = {6, 5, 4, 3, 2, 1};
    return speed < kPasses.size() ? kPasses[speed] : 0;
}

uint8_t Advance(uint8_t value, uint8_t period) { return value + 1 >= period ? 0 : static_cast<uint8_t>(value + 1); }

}  // namespace

uint8_t PassesPerMove(uint8_t speed) { return speed < FlashPeriodTable.size() ? FlashPeriodTable[speed] : 0; }

uint8_t BrightnessOfLevel(uint8_t level) {
    return BrightnessTable[std::min<size_t>(level, BrightnessTable.size() - 1)];
}

void LightPresetPlayback::Load(std::vector<EffectStep> steps) {
    std::lock_guard lock(lock_);
    steps_ = std::move(steps);
    index_ = 0;
    fresh_ = true;
}

size_t LightPresetPlayback::CurrentIndex() const {
    std::lock_guard lock(lock_);
    return index_;
}

void LightPresetPlayback::Pass(LedColours& leds, uint8_t ownSpeed, uint64_t nowMs) {
    {
        std::lock_guard lock(lock_);
        if (index_ >= steps_.size()) index_ = 0;
        if (steps_.empty()) {
            leds.Fill(LightsOffEffect());
            return;
        }
        current_ = steps_[index_];
        if (std::exchange(fresh_, false)) stepStartMs_ = nowMs;
    }
    const EffectStep& step = current_;
    const uint8_t brightness = BrightnessOfLevel(step.brightness);
    const bool colourful = step.multiColor != 0;
    const Rgb colour{step.red, step.green, step.blue};
    ++passes_;
    auto moveAfter = [this](uint8_t passes, uint8_t period) {
        if (passes_ < passes) return;
        phase_ = Advance(phase_, period);
        passes_ = 0;
    };
    switch (step.mode) {
    case kBreathing:
        // The phase may come from a wave or a spectrum step, past the breathing curve.
        if (phase_ >= kBreathPeriod) phase_ = 0;
        moveAfter(PassesPerMove(step.speed), kBreathPeriod);
        leds.Fill(LedState{colourful ? ColourWheel[0] : colour, Scale(BreathingTable[phase_], brightness)});
        break;
    case kStatic:
        moveAfter(PassesPerMove(step.speed), kStaticPeriod);
        leds.Fill(LedState{colour, brightness});
        break;
    case kBlink:
        Blink(leds, step, ownSpeed, nowMs);
        break;
    case kWave:
        moveAfter(PassesPerMove(step.speed), kWheelPeriod);
        PaintWave(leds, step);
        break;
    case kSpectrum:
        moveAfter(SpectrumPassesPerMove(step.speed), kWheelPeriod);
        leds.Fill(LedState{ColourWheel[phase_], brightness});
        break;
    default: break;
    }
    if (passes_ == 255) passes_ = 0;
    if (nowMs - stepStartMs_ > step.time) {
        std::lock_guard lock(lock_);
        if (++index_ >= steps_.size()) index_ = 0;
        stepStartMs_ = nowMs;
    }
}

void LightPresetPlayback::Blink(LedColours& leds, const EffectStep& step, uint8_t ownSpeed, uint64_t nowMs) {
    phase_ = Advance(phase_, kBreathPeriod);
    if (passes_ >= PassesPerMove(step.speed)) passes_ = 0;
    // The keyboard's own speed times the blink, not the step's.
    if (nowMs - blinkToggleMs_ >= FlashPeriodMs(ownSpeed)) {
        blinkOn_ = !blinkOn_;
        blinkToggleMs_ = nowMs;
        const unsigned hue = phase_ + kBlinkHueStride;
        blinkHue_ = hue >= kWheelPeriod ? 0 : static_cast<uint8_t>(hue);
    }
    if (!blinkOn_) {
        leds.Fill(LightsOffEffect());
        return;
    }
    const Rgb colour = step.multiColor != 0 ? ColourWheel[blinkHue_] : Rgb{step.red, step.green, step.blue};
    leds.Fill(LedState{colour, BrightnessOfLevel(step.brightness)});
}

void LightPresetPlayback::PaintWave(LedColours& leds, const EffectStep& step) const {
    const uint8_t brightness = BrightnessOfLevel(step.brightness);
    unsigned d = step.direction == 0 ? phase_ + 1u : kWheelPeriod - phase_;
    if (d == kWheelPeriod) d = step.direction == 0 ? 0 : kWheelPeriod - 1;
    const Rgb colour{step.red, step.green, step.blue};
    for (int led = 0; led < leds.Count(); ++led) {
        if (step.multiColor != 0) {
            leds.Set(led, LedState{ColourWheel[d], brightness});
            d += kWaveStride;
            if (d >= kWheelPeriod) d -= kWheelPeriod;
        } else {
            d = (d + kWaveStride) % kWavePeriod;
            leds.Set(led, LedState{colour, Scale(brightness, WaveTable[d])});
        }
    }
}

}  // namespace velnor7
