// One effect step and writing its result into a 126-LED page.
#include "core/LightEffects.h"

#include <benchmark/benchmark.h>

#include <array>

namespace velnor7 {
namespace {

void BM_BreathingStepInto126Leds(benchmark::State& state) {
    LightingState lighting;
    lighting.brightnessLevel = 5;
    lighting.direction = 1;
    lighting.colourful = 1;
    EffectState effect;
    std::array<LedState, 126> leds{};
    for (auto _ : state) {
        leds.fill(BreathingEffect(lighting, effect));
        benchmark::DoNotOptimize(leds.data());
    }
}
BENCHMARK(BM_BreathingStepInto126Leds);

void BM_SpectrumStep(benchmark::State& state) {
    LightingState lighting;
    lighting.brightnessLevel = 5;
    lighting.direction = 1;
    EffectState effect;
    for (auto _ : state) benchmark::DoNotOptimize(SpectrumEffect(lighting, effect));
}
BENCHMARK(BM_SpectrumStep);

}  // namespace
}  // namespace velnor7
