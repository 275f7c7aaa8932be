#include "core/LightTables.h"

namespace velnor7 {
namespace {

constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,  22,  24,  27,  30,  33,  36,
    39,  42,  45,  49,  53,  57,  61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129,
    134, 140, 146, 152, 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 32> kRampUp = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kRampDown = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                               114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                               29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

constexpr std::array<uint8_t, 128> MakeBreathing() {
    std::array<uint8_t, 128> table{};
    for (size_t i = 0; i < 64; ++i) {
        table[i] = kBreathRise[i];
        table[127 - i] = kBreathRise[i];
    }
    return table;
}

// Six segments of 32: red to yellow, yellow to green, green to cyan, cyan to
// blue, blue to magenta, magenta to red; the last 64 entries repeat the first.
constexpr std::array<Rgb, 256> MakeWheel() {
    std::array<Rgb, 256> wheel{};
    for (size_t i = 0; i < 32; ++i) {
        const uint8_t u = kRampUp[i];
        const uint8_t d = kRampDown[i];
        wheel[i] = {255, u, 0};
        wheel[32 + i] = {d, 255, 0};
        wheel[64 + i] = {0, 255, u};
        wheel[96 + i] = {0, d, 255};
        wheel[128 + i] = {u, 0, 255};
        wheel[160 + i] = {255, 0, d};
    }
    for (size_t i = 0; i < 64; ++i) wheel[192 + i] = wheel[i];
    return wheel;
}

}  // namespace

const std::array<uint8_t, 6> BrightnessTable = {0, 51, 102, 153, 204, 255};
const std::array<uint8_t, 128> BreathingTable = MakeBreathing();
const std::array<Rgb, 256> ColourWheel = MakeWheel();
const std::array<Rgb, 4> Palette4 = {{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};
const std::array<uint8_t, 15> FlashPeriodTable = {28, 23, 18, 13, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const std::array<uint8_t, 5> CommonThresholdRow = {28, 23, 18, 13, 7};

uint8_t StepPhase(bool forward, uint8_t period, uint8_t phase, uint8_t step) {
    if (forward) {
        const unsigned next = static_cast<unsigned>(phase) + step;
        return next >= period ? 0 : static_cast<uint8_t>(next);
    }
    const uint8_t next = static_cast<uint8_t>(phase - step);
    return next >= period ? static_cast<uint8_t>(period - step) : next;
}

}  // namespace velnor7
