#include "core/DeviceCatalogue.h"
#include "core/LightEffects.h"
#include "core/ReactiveLevels.h"

#include <gtest/gtest.h>

#include <vector>

namespace velnor7 {
namespace {

LightingState Lighting(uint8_t brightnessLevel, uint8_t speed, uint8_t direction, uint8_t colourful,
                       Rgb colour = {10, 20, 30}) {
    LightingState lighting;
    lighting.brightnessLevel = brightnessLevel;
    lighting.speed = speed;
    lighting.direction = direction;
    lighting.colourful = colourful;
    lighting.colour = colour;
    return lighting;
}

TEST(LightTables, StepPhaseWrapsAtThePeriodBoundariesBothWays) {
    EXPECT_EQ(StepPhase(false, 128, 0, 1), 127);
    EXPECT_EQ(StepPhase(true, 128, 127, 1), 0);
    EXPECT_EQ(StepPhase(true, 192, 176, 16), 0);
    EXPECT_EQ(StepPhase(true, 192, 175, 16), 191);
    EXPECT_EQ(StepPhase(false, 192, 8, 16), 176) << "wrapped below 0 lands at period - step";
}

TEST(LightTables, WheelAndBreathingAreBuiltFromTheirRamps) {
    EXPECT_EQ(ColourWheel[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(ColourWheel[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(ColourWheel[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(ColourWheel[95], (Rgb{0, 255, 255}));
    EXPECT_EQ(ColourWheel[127], (Rgb{0, 0, 255}));
    EXPECT_EQ(ColourWheel[191], (Rgb{255, 0, 0}));
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ(ColourWheel[192 + i], ColourWheel[i]) << i;
    EXPECT_EQ(BreathingTable[63], 255);
    EXPECT_EQ(BreathingTable[64], 255);
    EXPECT_EQ(BreathingTable[127], 0);
    EXPECT_EQ(BreathingTable[100], BreathingTable[27]);
}

TEST(LightEffects, BreathingAdvancesTheWheelBy16PerBreathAndWrapsAfter192) {
    const LightingState lighting = Lighting(5, 0, 1, 1);
    EffectState state;
    std::vector<uint8_t> stepsAtBreathStart;
    for (int call = 0; call < 128 * 14; ++call) {
        const LedState led = BreathingEffect(lighting, state);
        EXPECT_EQ(led.brightness, BreathingTable[state.phase] * 255 / 256);
        if (state.phase == 0) {
            stepsAtBreathStart.push_back(state.colourStep);
            EXPECT_EQ(led.colour, ColourWheel[state.colourStep]);
        }
    }
    ASSERT_GE(stepsAtBreathStart.size(), 14u);
    EXPECT_EQ(stepsAtBreathStart[0], 16);
    EXPECT_EQ(stepsAtBreathStart[11], 192) << "step 192 shows entry 192, the same as entry 0";
    EXPECT_EQ(stepsAtBreathStart[12], 0);
    EXPECT_EQ(stepsAtBreathStart[13], 16);
}

TEST(LightEffects, PlainColourEffectsUseTheStaticColourAndBrightnessLevel) {
    const LightingState lighting = Lighting(2, 0, 1, 0, {200, 100, 50});
    EffectState state;
    EXPECT_EQ(StaticEffect(lighting), (LedState{{200, 100, 50}, 102}));
    EXPECT_EQ(BreathingEffect(lighting, state).colour, (Rgb{200, 100, 50}));
    EXPECT_EQ(LightsOffEffect(), (LedState{{0, 0, 0}, 0}));
    LightingState tooBright = lighting;
    tooBright.brightnessLevel = 9;
    EXPECT_EQ(StaticEffect(tooBright).brightness, 255) << "a level past the table is not read out of bounds";

    EffectState spectrum;
    spectrum.phase = 191;
    EXPECT_EQ(SpectrumEffect(lighting, spectrum), (LedState{ColourWheel[0], 102}));
    LightingState backwards = lighting;
    backwards.direction = 0;
    EXPECT_EQ(SpectrumEffect(backwards, spectrum).colour, ColourWheel[191]);
}

TEST(LightEffects, FlashTogglesEvery1400msAtSpeed4AndOnEveryCallFromSpeed5) {
    LightingState lighting = Lighting(5, 4, 1, 1);
    EffectState state;
    state.lastToggleMs = 1000;
    EXPECT_EQ(FlashEffect(lighting, state, 2399), LightsOffEffect()) << "1399 ms: not yet";
    const LedState on = FlashEffect(lighting, state, 2400);
    EXPECT_TRUE(state.blinkOn);
    EXPECT_EQ(on, (LedState{ColourWheel[16], 255}));
    EXPECT_EQ(FlashEffect(lighting, state, 3800), LightsOffEffect());

    lighting.speed = 7;
    const bool before = state.blinkOn;
    FlashEffect(lighting, state, 3800);
    EXPECT_NE(state.blinkOn, before) << "period 0: toggles on every call";
    FlashEffect(lighting, state, 3800);
    EXPECT_EQ(state.blinkOn, before);
}

TEST(LightEffects, PaletteEffectsCycleTheFourColoursOnly) {
    const LightingState lighting = Lighting(5, 9, 1, 0);
    EffectState state;
    state.phase = 40;  // left over from another effect
    std::vector<Rgb> seen;
    for (int call = 0; call < 8; ++call) {
        const LedState led = PaletteFlashEffect(lighting, state, 0);
        if (state.blinkOn) seen.push_back(led.colour);
    }
    // Every toggle advances the palette, so the lit half of the cycle shows every other colour.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], Palette4[0]) << "a phase past the palette starts over";
    EXPECT_EQ(seen[1], Palette4[2]);
    EXPECT_EQ(seen[2], Palette4[0]);
    EffectState breathing;
    breathing.colourStep = 200;
    EXPECT_EQ(PaletteBreathingEffect(lighting, breathing).colour, Palette4[0]);
}

TEST(LightSync, ModesMapBetweenKindsAndUnknownModesDoNotSync) {
    EXPECT_FALSE(SyncTypeForMode(kTypeKeyboard, 2));
    EXPECT_EQ(SyncTypeForMode(kTypeKeyboard, 17), SyncType::Flash);
    EXPECT_EQ(SyncTypeForMode(kTypeWirelessMouse, 2), SyncType::Breathing);
    EXPECT_FALSE(SyncTypeForMode(kTypeMousePad, 5));
    for (SyncType type : {SyncType::Spectrum, SyncType::Breathing, SyncType::Static, SyncType::Flash, SyncType::Off})
        for (uint16_t kind : {kTypeKeyboard, kTypeMouse, kTypeMousePad, kTypeHeadset})
            EXPECT_EQ(SyncTypeForMode(kind, ModeForSyncType(kind, type)), type);
    EXPECT_EQ(ModeForSyncType(kTypeKeyboard, SyncType::Off), 23);
    EXPECT_EQ(ModeForSyncType(kTypeHeadset, SyncType::Off), 8);
}

TEST(LightSync, FramesFollowTheirOwnStrides) {
    const LightingState lighting = Lighting(5, 0, 1, 1);
    EffectState breathing;
    breathing.phase = 127;
    EXPECT_EQ(SyncFrame(SyncType::Breathing, lighting, breathing, 0).colour, ColourWheel[16]);
    EXPECT_EQ(SyncFrame(SyncType::Breathing, lighting, breathing, 0).colour, ColourWheel[32])
        << "phases 0 and 1 both step the colour";
    EXPECT_EQ(SyncFrame(SyncType::Breathing, lighting, breathing, 0).colour, ColourWheel[32]);

    EffectState flash;
    SyncFrame(SyncType::Flash, lighting, flash, 5600);
    EXPECT_EQ(flash.colourStep, 14);
    EffectState spectrum;
    LightingState backwards = lighting;
    backwards.direction = 0;
    EXPECT_EQ(SyncFrame(SyncType::Spectrum, backwards, spectrum, 0).colour, ColourWheel[1])
        << "the synchronised spectrum always runs forward";
}

TEST(ReactiveLevels, DecayAndRaiseFollowTheirStepTables) {
    ReactiveLevels levels;
    levels.SetLevel(3, 255);
    std::vector<int> passed;
    while (levels.Level(3) != 0) {
        levels.DecayKeyLevel(3, false);
        passed.push_back(levels.Level(3));
    }
    EXPECT_EQ(passed, (std::vector<int>{215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0}));

    levels.RaiseKeyLevel(3, false);
    EXPECT_EQ(levels.Level(3), 0) << "a dark key stays dark";
    levels.SetLevel(4, 8);
    levels.RaiseKeyLevel(4, true);
    EXPECT_EQ(levels.Level(4), 9);
    levels.RaiseKeyLevel(4, true);
    EXPECT_EQ(levels.Level(4), 11);
    levels.SetLevel(5, 250);
    levels.RaiseKeyLevel(5, false);
    EXPECT_EQ(levels.Level(5), 255);
    levels.SetLevel(6, 16);
    levels.DecayKeyLevel(6, true);
    EXPECT_EQ(levels.Level(6), 15);
}

TEST(ReactiveLevels, RingRotatesBothWaysAndMarksTheFirstNineKeys) {
    ReactiveLevels levels;
    levels.Ring()[0] = 1;
    levels.Ring()[22] = 2;
    levels.RotateRing(true);
    EXPECT_EQ(levels.Ring()[1], 1);
    EXPECT_EQ(levels.Ring()[0], 2);
    levels.RotateRing(false);
    levels.RotateRing(false);
    EXPECT_EQ(levels.Ring()[22], 1);
    EXPECT_EQ(levels.Ring()[21], 2);
    levels.Ring()[8] = 1;
    levels.Ring()[9] = 1;
    levels.MarkRingKeys();
    EXPECT_EQ(levels.Level(8), 255);
    EXPECT_EQ(levels.Level(9), 0) << "only ring places 0..8 light keys";
    levels.ClearKeyLevels();
    EXPECT_EQ(levels.Level(8), 0);
    EXPECT_EQ(levels.Ring()[21], 0);
}

}  // namespace
}  // namespace velnor7
