// Plays a light preset made by the user: a list of small effects (breathing, static, blink,
// wave, spectrum), each for its own time, one after another in a loop. It paints the per-LED
// colours on every pass of the preview thread while the light mode has no effect of its own.
#pragma once

#include "core/LedColours.h"
#include "profiles/LightPresets.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace velnor7 {

class LightPresetPlayback {
public:
    enum StepMode : uint8_t { kBreathing = 0, kStatic = 1, kBlink = 2, kWave = 4, kSpectrum = 5 };

    // The steps of the preset the light state selects; playing starts at the first. Any thread.
    void Load(std::vector<EffectStep> steps);

    // One pass: every LED of `leds` shows the current step. `ownSpeed` is the keyboard's own
    // light speed, which times the blink. The preview thread only.
    void Pass(LedColours& leds, uint8_t ownSpeed, uint64_t nowMs);

    size_t CurrentIndex() const;
    uint8_t Phase() const { return phase_; }

private:
    void PaintWave(LedColours& leds, const EffectStep& step) const;
    void Blink(LedColours& leds, const EffectStep& step, uint8_t ownSpeed, uint64_t nowMs);

    mutable std::mutex lock_;  // guards the steps, the index and the fresh flag
    std::vector<EffectStep> steps_;
    size_t index_ = 0;
    bool fresh_ = true;  // a preset just loaded: its first step gets its whole time

    // What the playing remembers; the phase and the blink carry over from step to step.
    EffectStep current_;
    uint8_t phase_ = 0;
    uint8_t passes_ = 0;  // since the phase last moved
    uint64_t stepStartMs_ = 0;
    bool blinkOn_ = false;
    uint8_t blinkHue_ = 0;
    uint64_t blinkToggleMs_ = 0;
};

// Passes between two moves of an effect at a speed; 0 above the slowest speeds' table.
uint8_t PassesPerMove(uint8_t speed);
// The brightness of a level; levels past the table read as the brightest.
uint8_t BrightnessOfLevel(uint8_t level);

}  // namespace velnor7
