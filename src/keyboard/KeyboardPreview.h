// The keyboard runs its lighting modes in its own firmware; this engine imitates each mode
// on the on-screen keyboard, step by step, so that the page shows what the keyboard shows.
// It only writes the per-LED colours; nothing here is sent to the keyboard.
//
// One thread drives an engine: every call below comes from the same thread.
#pragma once

#include "core/LedColours.h"
#include "core/LightEffects.h"
#include "core/KeyCode.h"

#include <array>
#include <cstdint>
#include <functional>

namespace velnor7 {

// What the engine reads of the keyboard's lighting.
struct PreviewLight {
    LightingState lighting;
    uint8_t selectItem = 0;  // the static colour choice of the mode that has one
};

// Per-key levels and hues, the wave fronts and the stage counters of the effects.
struct PreviewState {
    static constexpr int kColumns = 23;
    std::array<uint8_t, kKeyCount> keyLevel{};
    std::array<uint8_t, kKeyCount> keyHue{};
    std::array<uint8_t, kKeyCount> keyTouch{};  // 0 idle, 1 pressed, 2 released
    uint8_t q = 0;                               // stage or pacing counter
    // One byte per layout column; bit r: row r is on the wave front (bits 6, 7: below).
    std::array<uint8_t, kColumns> a{}, b{}, c{}, d{};
    uint8_t showStage = 0;
    uint8_t showCount = 0;
};

class KeyboardPreview {
public:
    // Uniform random numbers; a test puts a replayable source in place.
    using Random = std::function<uint32_t()>;
    static constexpr uint8_t kCustomColourMode = 20;

    KeyboardPreview(LedColours& leds, Random random);

    // Phase, pacing counter, key levels and wave fronts back to 0.
    void ResetPreview();
    // After ResetPreview, when the mode changed.
    void InitPreview(uint8_t mode);
    // One step of the mode's generator; a mode without one changes nothing.
    void StepPreview(const PreviewLight& light, uint64_t nowMs);
    // A key the keyboard reported pressed or released.
    void KeyEvent(const PreviewLight& light, KeyIndex key, bool pressed);
    void ClearKeyTouch() { state_.keyTouch.fill(0); }

    const PreviewState& State() const { return state_; }
    PreviewState& MutableState() { return state_; }
    uint8_t Phase() const { return effect_.phase; }

private:
    // The building blocks of the generators; they read `light_`.
    Rgb ModeColour(KeyIndex key) const;
    void Shade(KeyIndex key);
    void Paint(KeyIndex key, const Rgb& colour, uint8_t alpha) { leds_.Set(key, LedState{colour, alpha}); }
    void Ignite(KeyIndex key, bool newHue = false);
    void Light();
    void Spread();
    void SpreadRow();
    void Seed(KeyIndex key);
    void DecayAll();
    void DecayAndShadeAll();
    void DecayAndShadePath();
    uint8_t RandomBelow(uint32_t bound) { return static_cast<uint8_t>(random_() % bound); }

    // The generators that need more than a few lines.
    // How a wave runs across the columns or rows: in wheel colours, or in the single colour
    // with an alpha curve.
    struct WaveShape {
        bool columns;
        uint8_t startOffset;      // the first line's index, past the phase
        uint8_t wheelStride;      // wheel entries from one line to the next
        const uint8_t* curve;     // the single colour's alpha curve, 96 entries
        uint8_t curvePhaseStep;   // the phase step of the single colour
        uint8_t curveStride;      // curve entries from one line to the next
    };
    void LineWave(const WaveShape& shape);
    void SerpentineWave();
    void StaticColumns();
    void StaticRings();
    void ReactiveFade();
    void Twinkle();
    void RippleFromBelowAndAbove();
    void ScriptedShow();
    void StaggeredPulses();
    void BouncingRipple();
    void MovingRings();
    void RedShow();

    LedColours& leds_;
    Random random_;
    PreviewState state_;
    EffectState effect_;  // its phase is the preview's phase P
    uint8_t phase2_ = 0;
    PreviewLight light_;
    uint8_t brightness_ = 0;  // of light_
};

}  // namespace velnor7
