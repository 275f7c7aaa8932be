#include "core/LightTables.h"
#include "keyboard/KeyLayout.h"
#include "keyboard/KeyboardPreview.h"
#include "keyboard/KeyboardPreviewRunner.h"
#include "keyboard/PreviewTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <vector>

namespace velnor7 {
namespace {

constexpr uint8_t kFullBrightness = 5;  // 255

PreviewLight Light(uint8_t mode, uint8_t speed = 4, uint8_t direction = 1, uint8_t colourful = 0,
                   Rgb colour = {200, 100, 50}, uint8_t selectItem = 0) {
    PreviewLight light;
    light.lighting.mode = mode;
    light.lighting.brightnessLevel = kFullBrightness;
    light.lighting.speed = speed;
    light.lighting.direction = direction;
    light.lighting.colourful = colourful;
    light.lighting.colour = colour;
    light.selectItem = selectItem;
    return light;
}

bool OnPath126(KeyIndex key) { return std::find(Path126.begin(), Path126.end(), key) != Path126.end(); }

bool InKeyGrid(KeyIndex key) { return std::find(KeyGrid.begin(), KeyGrid.end(), key) != KeyGrid.end(); }

// Random numbers a test chooses; 0 once they run out.
struct ScriptedRandom {
    std::deque<uint32_t> values;
    uint32_t operator()() {
        if (values.empty()) return 0;
        const uint32_t value = values.front();
        values.pop_front();
        return value;
    }
};

class PreviewTest : public testing::Test {
protected:
    PreviewTest() { leds_.Resize(kKeyCount); }

    KeyboardPreview& Engine() {
        if (!engine_) engine_.emplace(leds_, [this] { return random_(); });
        return *engine_;
    }
    void Start(uint8_t mode) {
        Engine().ResetPreview();
        Engine().InitPreview(mode);
    }
    void Steps(const PreviewLight& light, int count) {
        for (int i = 0; i < count; ++i) Engine().StepPreview(light, 0);
    }
    std::vector<int> LitKeys() const {
        std::vector<int> lit;
        for (int key = 0; key < kKeyCount; ++key)
            if (leds_.Get(key).brightness != 0) lit.push_back(key);
        return lit;
    }

    LedColours leds_;
    ScriptedRandom random_;
    std::optional<KeyboardPreview> engine_;
};

TEST(PreviewTables, HoldWhatTheirDescriptionsSay) {
    std::set<KeyIndex> pathKeys;
    for (size_t i = 0; i < 105; ++i) pathKeys.insert(Path126[i]);
    EXPECT_EQ(pathKeys.size(), 105u) << "105 different keys";
    EXPECT_TRUE(std::all_of(Path126.begin() + 105, Path126.end(), [](KeyIndex k) { return k == kEmptyCell; }));
    EXPECT_FALSE(pathKeys.contains(kEmptyCell));

    std::vector<uint8_t> perm(Perm105.begin(), Perm105.end());
    std::sort(perm.begin(), perm.end());
    for (size_t i = 0; i < perm.size(); ++i) ASSERT_EQ(perm[i], i) << "a permutation of 0..104";

    EXPECT_TRUE(std::is_sorted(Pulse192.begin(), Pulse192.begin() + 25));
    EXPECT_EQ(Pulse192[24], 255);
    EXPECT_LT(Pulse192[25], 255);
    EXPECT_TRUE(std::all_of(Pulse192.begin() + 88, Pulse192.end(), [](uint8_t v) { return v == 0; }));

    for (size_t i = 0; i < 48; ++i) {
        EXPECT_EQ(WaveTable[i], BreathingTable[16 + i]) << i;
        EXPECT_EQ(WaveTable[95 - i], BreathingTable[16 + i]) << i;
    }
    EXPECT_EQ(WaveTable[0], 22);
    EXPECT_EQ(WaveTable[47], 255);

    for (KeyIndex key : Path132) EXPECT_TRUE(key == kEmptyCell || key < kKeyCount);
    EXPECT_EQ(Rings[0][0], 49) << "the rings start at the centre key";
    EXPECT_EQ(Offsets140.size(), 140u);
}

TEST(PreviewTables, PeriodsByModeAndSpeed) {
    EXPECT_EQ(PreviewPeriodTicks(1, 4), 2);
    EXPECT_EQ(PreviewPeriodTicks(1, 0), 6);
    for (uint8_t speed = 0; speed <= 4; ++speed) EXPECT_EQ(PreviewPeriodTicks(16, speed), 3);
    EXPECT_EQ(PreviewPeriodTicks(4, 0), 7);
    EXPECT_EQ(PreviewPeriodTicks(4, 4), 3);
    EXPECT_EQ(PreviewPeriodTicks(15, 4), 1);
    EXPECT_EQ(PreviewPeriodTicks(24, 9), 2) << "speeds past 4 run as 4";
    for (uint8_t mode : {0, 22, 25, 44, 255}) EXPECT_FALSE(PreviewPeriodTicks(mode, 2)) << int(mode);
}

TEST_F(PreviewTest, InitialisingAModeWithoutItsOwnStartGivesTheKeysAHueRamp) {
    Start(1);
    EXPECT_EQ(Engine().State().keyHue[0], 33);
    EXPECT_EQ(Engine().State().keyHue[5], 6);
    EXPECT_EQ(Engine().State().keyHue[63], 192) << "192 shows the colour of 0";
    for (uint8_t hue : Engine().State().keyHue) EXPECT_TRUE(hue >= 1 && hue <= 192);
}

TEST_F(PreviewTest, TheSingleColourWavePhaseStepsByTwoWithinItsPeriodInBothDirections) {
    Start(1);
    const PreviewLight forward = Light(1, 4, 1);
    std::vector<int> phases;
    for (int i = 0; i < 50; ++i) {
        Engine().StepPreview(forward, 0);
        phases.push_back(Engine().Phase());
    }
    EXPECT_EQ(phases[0], 2);
    EXPECT_EQ(phases[46], 94);
    EXPECT_EQ(phases[47], 0) << "wraps at 96";
    // Column 1 (key 21 below the top row) shows the wave entry one past the phase, scaled.
    EXPECT_EQ(leds_.Get(21), (LedState{Rgb{200, 100, 50}, static_cast<uint8_t>((255 * WaveTable[(phases.back() + 1 + 7) % 96]) >> 8)}));

    Start(1);
    Engine().StepPreview(Light(1, 4, 0), 0);
    EXPECT_EQ(Engine().Phase(), 94) << "backwards from 0";
    Engine().StepPreview(Light(1, 4, 0), 0);
    EXPECT_EQ(Engine().Phase(), 92);
}

TEST_F(PreviewTest, StaticColourChoiceFallsBackToHue174) {
    for (auto [item, hue] : std::vector<std::pair<uint8_t, uint8_t>>{{1, 25}, {2, 70}, {3, 95}, {0, 174}, {7, 174}}) {
        Start(17);
        Engine().StepPreview(Light(17, 4, 1, 0, {1, 2, 3}, item), 0);
        EXPECT_EQ(Engine().Phase(), hue);
        EXPECT_EQ(leds_.Get(100), (LedState{ColourWheel[hue], 255})) << int(item);
    }
}

TEST_F(PreviewTest, RippleFromBelowLightsNothingForThreeStepsThenRises) {
    Start(13);
    const PreviewLight light = Light(13);
    for (int step = 1; step <= 3; ++step) {
        Engine().StepPreview(light, 0);
        EXPECT_TRUE(LitKeys().empty()) << "step " << step;
    }
    Steps(light, 20);
    EXPECT_FALSE(LitKeys().empty());
}

TEST_F(PreviewTest, TheRedShowRunsAllItsStagesAndLightsOnlyPathKeys) {
    Start(21);
    std::set<int> stages;
    int startedOver = 0;
    const PreviewLight light = Light(21, 4, 1, 1);  // red whatever the colour settings
    for (int step = 0; step < 3000; ++step) {
        const uint8_t before = Engine().State().showStage;
        Engine().StepPreview(light, 0);
        stages.insert(Engine().State().showStage);
        if (before == 6 && Engine().State().showStage == 0) ++startedOver;
        for (int key : LitKeys()) {
            ASSERT_TRUE(OnPath126(static_cast<KeyIndex>(key))) << "key " << key << " at step " << step;
            ASSERT_EQ(leds_.Get(key).colour, (Rgb{255, 0, 0}));
        }
    }
    EXPECT_EQ(stages, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_GE(startedOver, 2) << "and starts over";
}

TEST_F(PreviewTest, KeyPressesSeedRipplesOnlyFromKeysOfTheLayout) {
    Start(8);
    const auto planes = [this] {
        const PreviewState& s = Engine().State();
        return std::vector<std::array<uint8_t, 23>>{s.a, s.b, s.c, s.d};
    };
    const auto before = planes();
    KeyIndex outside = 0;
    while (InKeyGrid(outside)) ++outside;
    Engine().KeyEvent(Light(8), outside, true);
    Engine().KeyEvent(Light(8), 200, true);
    EXPECT_EQ(planes(), before) << "key " << int(outside) << " is not in the layout";

    Engine().KeyEvent(Light(8), 49, true);
    EXPECT_EQ(Engine().State().a[8], 1u << 2) << "key 49 sits in column 8, row 2";
    Engine().StepPreview(Light(8), 0);
    EXPECT_EQ(leds_.Get(49).brightness, (255 * 215) >> 8) << "lit, then one decay step";
    Steps(Light(8), 3);
    EXPECT_GT(LitKeys().size(), 5u) << "the ripple spreads";
    Engine().KeyEvent(Light(8), 30, false);
    EXPECT_EQ(Engine().State().a[10] & (1u << 1), 0u) << "a release seeds nothing";
}

TEST_F(PreviewTest, ReactiveFadeRisesWhileHeldAndFadesAfterRelease) {
    Start(7);
    const PreviewLight light = Light(7);
    Engine().KeyEvent(light, 30, true);
    Engine().StepPreview(light, 0);
    EXPECT_EQ(Engine().State().keyLevel[30], 255);
    EXPECT_EQ(leds_.Get(30).brightness, (255 * 255) >> 8);
    EXPECT_EQ(leds_.Get(31).brightness, 0);
    Engine().KeyEvent(light, 30, false);
    Steps(light, 10);
    EXPECT_EQ(Engine().State().keyLevel[30], 205);
    Steps(light, 50);
    EXPECT_EQ(Engine().State().keyLevel[30], 0) << "a level of 10 or less goes out";
}

TEST_F(PreviewTest, TwinkleLightsThePickedKeysAndReplaysForTheSameRandomNumbers) {
    Start(10);
    random_.values = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9, 104, 10};
    Engine().StepPreview(Light(10, 4, 1, 1), 0);
    std::vector<int> expected;
    for (uint32_t r : {0u, 1u, 2u, 3u, 4u, 104u}) expected.push_back(Path126[Perm105[r]]);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(LitKeys(), expected);
    EXPECT_EQ(leds_.Get(Path126[Perm105[0]]).colour, ColourWheel[5]) << "the hue drawn after the key";
    const std::vector<int> firstRun = LitKeys();

    Start(10);
    leds_.Fill(LedState{});
    random_.values = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9, 104, 10};
    Engine().StepPreview(Light(10, 4, 1, 1), 0);
    EXPECT_EQ(LitKeys(), firstRun);
}

TEST_F(PreviewTest, StaggeredPulsesStartFromTheLayoutOffsetsAndWrapWithANewHue) {
    Start(15);
    // Key 0 sits in tall column 2, row 1.
    EXPECT_EQ(Engine().State().keyLevel[0], Offsets140[1 + 6 * 2]);
    EXPECT_EQ(Engine().State().keyHue[0], 14);
    Engine().MutableState().keyLevel[0] = 190;
    random_.values = {77};
    Engine().StepPreview(Light(15, 4, 1, 1), 0);
    EXPECT_EQ(Engine().State().keyLevel[0], 0);
    EXPECT_EQ(Engine().State().keyHue[0], 77);
}

TEST_F(PreviewTest, CustomColoursKeepTheirColourAndTakeTheBrightness) {
    Start(KeyboardPreview::kCustomColourMode);
    leds_.Set(3, LedState{Rgb{1, 2, 3}, 0});
    PreviewLight light = Light(KeyboardPreview::kCustomColourMode);
    light.lighting.brightnessLevel = 2;
    Engine().StepPreview(light, 0);
    EXPECT_EQ(leds_.Get(3), (LedState{Rgb{1, 2, 3}, 102}));
}

TEST(PreviewRunner, StepsArePacedInTicksOfTheInjectedClock) {
    struct Case {
        uint8_t mode, speed;
        int ticksPerStep;
    };
    for (const Case& c : {Case{1, 4, 2}, Case{1, 0, 6}, Case{16, 0, 3}, Case{16, 4, 3}, Case{4, 4, 3}}) {
        LedColours leds;
        leds.Resize(kKeyCount);
        KeyboardPreviewRunner runner(leds, [] { return 0u; });
        PreviewLight light = Light(c.mode, c.speed, 1, 1);
        // A pass every millisecond, as a thread woken each millisecond would run them.
        std::vector<uint64_t> stepTimes;
        int lastTicks = 0;
        for (uint64_t now = 1000; now < 1000u + 40u * static_cast<unsigned>(c.ticksPerStep); ++now) {
            runner.Pass(light, now);
            if (runner.Ticks() < lastTicks) stepTimes.push_back(now);  // a step starts the count over
            lastTicks = runner.Ticks();
        }
        ASSERT_GE(stepTimes.size(), 10u);
        for (size_t i = 1; i < stepTimes.size(); ++i)
            ASSERT_EQ(stepTimes[i] - stepTimes[i - 1], static_cast<uint64_t>(c.ticksPerStep * KeyboardPreviewRunner::kTickMs))
                << "mode " << int(c.mode) << " speed " << int(c.speed);
    }
}

TEST(PreviewRunner, OneWakeUpPerFrameShowsWhatOneWakeUpPerMillisecondWould) {
    LightListEntry breathing;
    breathing.present = 1;
    breathing.brightness = 5;
    LightListEntry steady;
    steady.mode = AreaOverlay::kStatic;
    steady.brightness = 3;
    EffectStep step;
    step.mode = LightPresetPlayback::kWave;
    step.brightness = 4;
    step.speed = 3;
    step.multiColor = 1;
    step.time = 300;
    for (uint8_t mode : {1, 4, 8, 0}) {
        LedColours everyMs, everyFrame;
        everyMs.Resize(kKeyCount);
        everyFrame.Resize(kKeyCount);
        KeyboardPreviewRunner fine(everyMs, [] { return 7u; });
        KeyboardPreviewRunner coarse(everyFrame, [] { return 7u; });
        for (KeyboardPreviewRunner* runner : {&fine, &coarse}) {
            runner->Areas().Load({breathing, steady});
            runner->Playback().Load({step, step});
            runner->PostKeyEvent(49, true);
        }
        const PreviewLight light = Light(mode, 4, 1, 1);
        uint64_t now = 500;
        EXPECT_EQ(coarse.Pass(light, now), KeyboardPreviewRunner::kFrameMs);
        fine.Pass(light, now);
        for (int frame = 0; frame < 40; ++frame) {
            for (int ms = 0; ms < KeyboardPreviewRunner::kFrameMs; ++ms) fine.Pass(light, ++now);
            coarse.Pass(light, now);
            for (int led = 0; led < kKeyCount; ++led)
                ASSERT_EQ(everyMs.GetPacked(led), everyFrame.GetPacked(led)) << "mode " << int(mode) << " frame " << frame << " LED " << led;
        }
    }
}

TEST(PreviewRunner, AfterALongPauseThePreviewGoesOnFromNow) {
    LedColours leds;
    leds.Resize(kKeyCount);
    int draws = 0;  // the twinkle draws 12 random numbers a step
    KeyboardPreviewRunner runner(leds, [&draws] { return static_cast<uint32_t>(++draws); });
    runner.Pass(Light(10, 4), 0);
    runner.Pass(Light(10, 4), 60'000);  // a minute detached: not 15000 steps at once
    EXPECT_EQ(draws, 0);
    runner.Pass(Light(10, 4), 60'020);
    EXPECT_EQ(draws, 12 * 5) << "10 ticks: 5 steps";
}

TEST(PreviewRunner, EveryChangeOfModeStartsItOverAndARestartAlsoReleasesTheKeys) {
    LedColours leds;
    leds.Resize(kKeyCount);
    KeyboardPreviewRunner runner(leds, [] { return 0u; });
    uint64_t now = 0;
    runner.PostKeyEvent(30, true);
    for (; now < 40; ++now) runner.Pass(Light(7), now);
    EXPECT_EQ(runner.Engine().State().keyTouch[30], 1);
    EXPECT_EQ(runner.Engine().State().keyLevel[30], 255);

    // The mode changed without a restart being asked for: the phase starts at 0 again and
    // the LEDs the old mode lit go dark.
    for (; now < 80; ++now) runner.Pass(Light(1), now);
    EXPECT_NE(runner.Engine().Phase(), 0);
    runner.Pass(Light(21), now++);
    EXPECT_EQ(runner.Engine().Phase(), 0);
    EXPECT_EQ(leds.Get(17).brightness, 0) << "a key the red show never paints";
    EXPECT_EQ(runner.Engine().State().keyTouch[30], 1) << "key touches survive a mode change";

    runner.SetCustomColours({Rgb{9, 8, 7}});
    runner.Restart();
    runner.Pass(Light(KeyboardPreview::kCustomColourMode), now);
    EXPECT_EQ(runner.Engine().State().keyTouch[30], 0);
    EXPECT_EQ(leds.Get(0).colour, (Rgb{9, 8, 7}));
    runner.Pass(Light(KeyboardPreview::kCustomColourMode), now + 20);
    EXPECT_EQ(leds.Get(0), (LedState{Rgb{9, 8, 7}, 255}));

    // A key painted while the custom mode runs shows at the next pass, without a restart.
    runner.SetCustomColours({Rgb{1, 2, 3}});
    runner.Pass(Light(KeyboardPreview::kCustomColourMode), now + 40);
    EXPECT_EQ(leds.Get(0).colour, (Rgb{1, 2, 3}));
    EXPECT_EQ(leds.Get(0).brightness, 255);
}

}  // namespace
}  // namespace velnor7
