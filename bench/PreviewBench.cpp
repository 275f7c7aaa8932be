// The keyboard preview: one step of each mode over the 126 keys (the goal: 2 us or less for
// every mode), one pass of the area effects over 126 entries (1 us or less), one pass of a
// light preset.
#include "keyboard/AreaOverlay.h"
#include "keyboard/KeyboardPreview.h"
#include "keyboard/LightPresetPlayback.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace velnor7 {
namespace {

PreviewLight Light(uint8_t mode, uint8_t colourful) {
    PreviewLight light;
    light.lighting.mode = mode;
    light.lighting.brightnessLevel = 5;
    light.lighting.speed = 4;
    light.lighting.direction = 1;
    light.lighting.colourful = colourful;
    light.lighting.colour = Rgb{200, 100, 50};
    return light;
}

void BM_StepPreview(benchmark::State& state) {
    const auto mode = static_cast<uint8_t>(state.range(0));
    LedColours leds;
    leds.Resize(126);
    KeyboardPreview preview(leds, [engine = std::minstd_rand(7)]() mutable { return static_cast<uint32_t>(engine()); });
    preview.ResetPreview();
    preview.InitPreview(mode);
    const PreviewLight light = Light(mode, 1);
    // Keys pressed now and then, so that the reactive modes have something to spread.
    KeyIndex key = 0;
    uint64_t now = 0;
    for (auto _ : state) {
        if ((now & 31) == 0) preview.KeyEvent(light, key = static_cast<KeyIndex>((key + 37) % 126), true);
        preview.StepPreview(light, now += 2);
        benchmark::DoNotOptimize(leds.GetPacked(0));
    }
}
BENCHMARK(BM_StepPreview)->DenseRange(1, 21)->Arg(23)->Arg(24);

void BM_AreaOverlayPass126(benchmark::State& state) {
    LedColours leds;
    leds.Resize(126);
    std::vector<LightListEntry> entries(126);
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].mode = static_cast<uint8_t>(i % 5);  // breathe, static, blink, cycle, off
        entries[i].brightness = 5;
        entries[i].speed = static_cast<uint8_t>(i % 5);
        entries[i].multiColor = static_cast<uint8_t>(i % 2);
        entries[i].present = 1;
    }
    AreaOverlay areas;
    areas.Load(entries);
    uint64_t now = 0;
    for (auto _ : state) {
        areas.Pass(leds, now += 2);
        benchmark::DoNotOptimize(leds.GetPacked(0));
    }
}
BENCHMARK(BM_AreaOverlayPass126);

void BM_PresetPlaybackPass126(benchmark::State& state) {
    LedColours leds;
    leds.Resize(126);
    EffectStep wave;
    wave.mode = LightPresetPlayback::kWave;
    wave.brightness = 5;
    wave.speed = 4;
    wave.multiColor = 1;
    wave.time = 1000;
    LightPresetPlayback playback;
    playback.Load({wave});
    uint64_t now = 0;
    for (auto _ : state) {
        playback.Pass(leds, 0, now += 2);
        benchmark::DoNotOptimize(leds.GetPacked(0));
    }
}
BENCHMARK(BM_PresetPlaybackPass126);

}  // namespace
}  // namespace velnor7
