// Constant tables and the phase step shared by every host-rendered light effect.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velnor7 {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Entries of the breathing curve, and colours of the wheel one round of it takes (its last
// 64 entries repeat the first).
inline constexpr uint8_t kBreathPeriod = 128;
inline constexpr uint8_t kWheelPeriod = 192;

extern const std::array<uint8_t, 6> BrightnessTable;
extern const std::array<uint8_t, 128> BreathingTable;
extern const std::array<Rgb, 256> ColourWheel;
extern const std::array<Rgb, 4> Palette4;
extern const std::array<uint8_t, 15> FlashPeriodTable;  // in units of 200 ms, by speed
// Frames between two steps for speeds 0..4 of the mouse, mouse pad, headset and synchronisation.
extern const std::array<uint8_t, 5> CommonThresholdRow;

// Forward: phase + step, 0 once it reaches period. Backward: phase - step
// (modulo 256), period - step once it lies at or past period.
uint8_t StepPhase(bool forward, uint8_t period, uint8_t phase, uint8_t step);

}  // namespace velnor7
