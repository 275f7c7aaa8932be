#include "core/LightTables.h"
#include "keyboard/AreaOverlay.h"
#include "keyboard/LightPresetPlayback.h"
#include "keyboard/PreviewTables.h"

#include <gtest/gtest.h>

#include <vector>

namespace velnor7 {
namespace {

EffectStep Step(uint8_t mode, uint8_t speed, uint32_t timeMs, uint8_t multiColor = 0, uint8_t direction = 0) {
    EffectStep step;
    step.mode = mode;
    step.brightness = 5;
    step.speed = speed;
    step.direction = direction;
    step.multiColor = multiColor;
    step.red = 10;
    step.green = 20;
    step.blue = 30;
    step.time = timeMs;
    return step;
}

LightListEntry Area(uint8_t mode, uint8_t speed, uint8_t present = 1) {
    LightListEntry entry;
    entry.mode = mode;
    entry.brightness = 5;
    entry.speed = speed;
    entry.red = 40;
    entry.green = 50;
    entry.blue = 60;
    entry.present = present;
    return entry;
}

class PlaybackTest : public testing::Test {
protected:
    PlaybackTest() { leds_.Resize(8); }
    LedColours leds_;
    LightPresetPlayback playback_;
    AreaOverlay areas_;
};

TEST_F(PlaybackTest, AStepOfTimeZeroReplaysItselfAndLongerStepsTakeTurns) {
    playback_.Load({Step(LightPresetPlayback::kStatic, 0, 0)});
    for (uint64_t now = 100; now < 110; ++now) {
        playback_.Pass(leds_, 0, now);
        EXPECT_EQ(playback_.CurrentIndex(), 0u);
        EXPECT_EQ(leds_.Get(7), (LedState{Rgb{10, 20, 30}, 255}));
    }

    playback_.Load({Step(LightPresetPlayback::kStatic, 0, 50), Step(LightPresetPlayback::kSpectrum, 4, 50)});
    uint64_t now = 1000;
    playback_.Pass(leds_, 0, now);  // the step starts at its first pass
    for (; now <= 1050; now += 10) playback_.Pass(leds_, 0, now);
    EXPECT_EQ(playback_.CurrentIndex(), 0u) << "50 ms have not passed yet";
    playback_.Pass(leds_, 0, now);
    EXPECT_EQ(playback_.CurrentIndex(), 1u);
}

TEST_F(PlaybackTest, BreathingMovesEveryRowOfPassesBySpeed) {
    for (auto [speed, passes] : std::vector<std::pair<uint8_t, int>>{{0, 28}, {4, 7}}) {
        LightPresetPlayback playback;
        playback.Load({Step(LightPresetPlayback::kBreathing, speed, 100000)});
        int movedAt = 0;
        for (int pass = 1; pass <= 3 * passes && movedAt == 0; ++pass) {
            playback.Pass(leds_, 0, 0);
            if (playback.Phase() != 0) movedAt = pass;
        }
        EXPECT_EQ(movedAt, passes) << "speed " << int(speed);
        EXPECT_EQ(leds_.Get(0), (LedState{Rgb{10, 20, 30}, static_cast<uint8_t>((BreathingTable[1] * 255) >> 8)}));
    }
}

TEST_F(PlaybackTest, BlinkFollowsTheKeyboardsOwnSpeedAndTakesTheHue14PastThePhase) {
    playback_.Load({Step(LightPresetPlayback::kBlink, 4, 1000000, 1)});
    playback_.Pass(leds_, 0, 10000);
    ASSERT_NE(leds_.Get(0).brightness, 0) << "on at its first pass";
    EXPECT_EQ(leds_.Get(0).colour, ColourWheel[playback_.Phase() + 14]);
    uint64_t toggledAt = 0;
    for (uint64_t now = 10001; now < 20000 && toggledAt == 0; now += 100) {
        playback_.Pass(leds_, 0, now);
        if (leds_.Get(0).brightness == 0) toggledAt = now;
    }
    EXPECT_EQ(toggledAt, 15601u) << "every 5600 ms at the keyboard's speed 0, not the step's 4";
}

TEST_F(PlaybackTest, ASingleColourWavePaintsEachLedTwelveFurtherAlongTheWave) {
    playback_.Load({Step(LightPresetPlayback::kWave, 4, 1000000)});
    // Run until the phase has just become 185.
    while (playback_.Phase() != 185) playback_.Pass(leds_, 0, 0);
    EXPECT_EQ(leds_.Get(0).brightness, (255 * WaveTable[6]) >> 8);
    EXPECT_EQ(leds_.Get(1).brightness, (255 * WaveTable[18]) >> 8);
}

TEST_F(PlaybackTest, NoStepsMeansEveryLedOffButAreasStillShow) {
    leds_.Fill(LedState{Rgb{1, 1, 1}, 255});
    playback_.Load({});
    areas_.Load({Area(AreaOverlay::kStatic, 0), Area(AreaOverlay::kBreathe, 0, 0)});
    playback_.Pass(leds_, 0, 0);
    areas_.Pass(leds_, 0);
    EXPECT_EQ(leds_.Get(0), (LedState{Rgb{40, 50, 60}, 255}));
    EXPECT_EQ(leds_.Get(1), LedState{}) << "a null element paints nothing";
    EXPECT_EQ(leds_.Get(2), LedState{});
}

TEST_F(PlaybackTest, AreasPaintOverTheModeAndOffTurnsALedOff) {
    leds_.Fill(LedState{Rgb{1, 2, 3}, 200});
    areas_.Load({Area(AreaOverlay::kOff, 0), Area(AreaOverlay::kColourCycle, 4), Area(9, 0)});
    areas_.Pass(leds_, 0);
    EXPECT_EQ(leds_.Get(0), LedState{});
    EXPECT_EQ(leds_.Get(1), (LedState{ColourWheel[0], 255}));
    EXPECT_EQ(leds_.Get(2), (LedState{Rgb{1, 2, 3}, 200})) << "an unknown area mode paints nothing";
    for (int pass = 1; pass < 7; ++pass) areas_.Pass(leds_, 0);
    EXPECT_EQ(leds_.Get(1).colour, ColourWheel[1]) << "the cycle moves every 7 passes at speed 4";
}

TEST_F(PlaybackTest, ABreathingAreaAtSpeedZeroBreathesIn32Passes) {
    areas_.Load({Area(AreaOverlay::kBreathe, 0)});
    std::vector<uint8_t> alphas;
    for (int pass = 0; pass < 64; ++pass) {
        areas_.Pass(leds_, 0);
        alphas.push_back(leds_.Get(0).brightness);
    }
    EXPECT_EQ(alphas[30], (BreathingTable[124] * 255) >> 8);
    EXPECT_EQ(alphas[31], 0) << "back at the start after 32 passes";
    EXPECT_EQ(alphas[63], 0);
}

TEST_F(PlaybackTest, ABlinkingAreaAtSpeedFourTogglesEvery1400ms) {
    areas_.Load({Area(AreaOverlay::kBlink, 4)});
    std::vector<uint64_t> toggles;
    bool on = false;
    for (uint64_t now = 2000; now < 8000; now += 50) {
        areas_.Pass(leds_, now);
        const bool lit = leds_.Get(0).brightness != 0;
        if (lit != on) toggles.push_back(now);
        on = lit;
    }
    ASSERT_GE(toggles.size(), 4u);
    for (size_t i = 1; i < toggles.size(); ++i) EXPECT_EQ(toggles[i] - toggles[i - 1], 1400u);
}

TEST_F(PlaybackTest, AreaEntriesBeyondTheLedsAreIgnored) {
    std::vector<LightListEntry> entries(20, Area(AreaOverlay::kStatic, 0));
    areas_.Load(entries);
    areas_.Pass(leds_, 0);  // 8 LEDs: no write past them
    EXPECT_EQ(leds_.Get(7).brightness, 255);
    EXPECT_EQ(leds_.Get(8), LedState{});
}

}  // namespace
}  // namespace velnor7
