#include "keyboard/KeyboardPreview.h"

#include "core/LightTables.h"
#include "core/ReactiveLevels.h"
#include "keyboard/KeyLayout.h"
#include "keyboard/PreviewTables.h"

#include <utility>

namespace velnor7 {
namespace {

constexpr int kColumns = kKeyGridColumns;
constexpr int kRows = kKeyGridRows;
constexpr uint8_t kBelowGrid = 0x40;  // bit 6: the row under the bottom row
constexpr uint8_t kTopRow = 0x01;
constexpr KeyIndex kCentreKey = 49;
constexpr KeyIndex kRippleEndKey = 105;  // the bottom-left key: the show's ripple has arrived
constexpr KeyIndex kPairsEndKey = 90;
constexpr KeyIndex kRedShowCentre = 51;
constexpr uint8_t kRedShowPathLength = 132;
constexpr uint8_t kRedShowLap = 22;

uint8_t Next(uint8_t x, uint8_t increment, uint8_t period) {
    return static_cast<uint8_t>((x + increment) % period);
}

uint8_t Scale(uint8_t brightness, uint8_t level) { return static_cast<uint8_t>((brightness * level) >> 8); }

bool IsKey(KeyIndex key) { return key < kKeyCount; }

struct Cell {
    int8_t column = -1;
    int8_t row = -1;
};

// Where each key sits in the layout (the first cell holding it); none for keys outside it.
const std::array<Cell, kKeyCount>& CellsOfKeys() {
    static const std::array<Cell, kKeyCount> cells = [] {
        std::array<Cell, kKeyCount> found{};
        for (int c = 0; c < kColumns; ++c) {
            for (int r = 0; r < kRows; ++r) {
                const KeyIndex key = KeyGridCell(c, r);
                if (IsKey(key) && found[key].column < 0) found[key] = Cell{static_cast<int8_t>(c), static_cast<int8_t>(r)};
            }
        }
        return found;
    }();
    return cells;
}

const std::array<bool, 256>& OnPath126() {
    static const std::array<bool, 256> on = [] {
        std::array<bool, 256> marks{};
        for (KeyIndex key : Path126)
            if (IsKey(key)) marks[key] = true;
        return marks;
    }();
    return on;
}

// Calls `visit` for every key of a ring that takes part in the effects.
template <class Visit>
void ForRingKeys(int ring, Visit&& visit) {
    for (KeyIndex key : Rings[static_cast<size_t>(ring)])
        if (IsKey(key) && OnPath126()[key]) visit(key);
}

template <class Visit>
void ForPathKeys(Visit&& visit) {
    for (KeyIndex key : Path126)
        if (IsKey(key)) visit(key);
}

// A line of the layout: a column (all its rows) or a row (all its columns).
template <class Visit>
void ForLineKeys(bool column, int line, Visit&& visit) {
    for (int i = 0; i < (column ? kRows : kColumns); ++i) {
        const KeyIndex key = column ? KeyGridCell(line, i) : KeyGridCell(i, line);
        if (IsKey(key)) visit(key);
    }
}

uint8_t StaticHue(uint8_t selectItem) {
    switch (selectItem) {
    case 1: return 25;
    case 2: return 70;
    case 3: return 95;
    default: return 174;
    }
}

}  // namespace

KeyboardPreview::KeyboardPreview(LedColours& leds, Random random) : leds_(leds), random_(std::move(random)) {}

void KeyboardPreview::ResetPreview() {
    effect_.phase = 0;
    state_.q = 0;
    state_.keyLevel.fill(0);
    state_.a.fill(0);
    state_.b.fill(0);
    state_.c.fill(0);
    state_.d.fill(0);
}

void KeyboardPreview::InitPreview(uint8_t mode) {
    switch (mode) {
    case 13:
        state_.a[8] = state_.b[8] = state_.c[8] = state_.d[8] = kBelowGrid;
        return;
    case 14:
        ForPathKeys([this](KeyIndex key) { state_.keyLevel[key] = 1; });
        return;
    case 15:
    case 19:
        for (int c = 0; c < kColumns; ++c) {
            for (int r = 0; r < kKeyGridTallRows; ++r) {
                const KeyIndex key = KeyGridTallCell(c, r);
                if (!IsKey(key)) continue;
                state_.keyLevel[key] = Offsets140[static_cast<size_t>(r + kRows * c)];
                state_.keyHue[key] = static_cast<uint8_t>(7 * c);
            }
        }
        return;
    case 16:
    case 55:
        state_.a[1] = state_.b[1] = state_.c[1] = state_.d[1] = kTopRow;
        return;
    case 21:
        state_.showStage = 0;
        state_.showCount = kRedShowPathLength;
        phase2_ = 0;
        return;
    case kCustomColourMode:  // the page loads the custom colours
    case 4:
    case 17:
        return;
    default: {
        // A hue ramp over the keys; 192 shows the same colour as 0.
        int hue = 0;
        for (uint8_t& keyHue : state_.keyHue) {
            hue += 33;
            if (hue > kWheelPeriod) hue -= kWheelPeriod;
            keyHue = static_cast<uint8_t>(hue);
        }
        return;
    }
    }
}

Rgb KeyboardPreview::ModeColour(KeyIndex key) const {
    return light_.lighting.colourful != 0 ? ColourWheel[state_.keyHue[key]] : light_.lighting.colour;
}

void KeyboardPreview::Shade(KeyIndex key) { Paint(key, ModeColour(key), Scale(brightness_, state_.keyLevel[key])); }

void KeyboardPreview::Ignite(KeyIndex key, bool newHue) {
    if (!IsKey(key)) return;
    state_.keyLevel[key] = 255;
    if (newHue || light_.lighting.colourful != 0) state_.keyHue[key] = RandomBelow(kWheelPeriod);
}

void KeyboardPreview::Light() {
    for (int c = 0; c < kColumns; ++c) {
        const uint8_t front = state_.a[c] | state_.b[c] | state_.c[c] | state_.d[c];
        if (front == 0) continue;
        for (int r = 0; r < kRows; ++r)
            if (front & (1u << r)) Ignite(KeyGridCell(c, r));
    }
}

void KeyboardPreview::Spread() {
    // Every new value is made of old ones: A and D take from the right, B and C from the left.
    const auto a = state_.a, b = state_.b, c = state_.c, d = state_.d;
    for (int i = 0; i < kColumns; ++i) {
        const bool last = i == kColumns - 1;
        const bool first = i == 0;
        state_.a[i] = static_cast<uint8_t>((a[i] >> 1) | (last ? 0 : a[i + 1]));
        state_.d[i] = static_cast<uint8_t>((d[i] << 1) | (last ? 0 : d[i + 1]));
        state_.b[i] = static_cast<uint8_t>((b[i] >> 1) | (first ? 0 : b[i - 1]));
        state_.c[i] = static_cast<uint8_t>((c[i] << 1) | (first ? 0 : c[i - 1]));
    }
}

void KeyboardPreview::SpreadRow() {
    state_.a.fill(0);
    state_.c.fill(0);
    for (int i = 0; i < kColumns - 1; ++i) state_.d[i] = state_.d[i + 1];
    state_.d[kColumns - 1] = 0;
    for (int i = kColumns - 1; i > 0; --i) state_.b[i] = state_.b[i - 1];
    state_.b[0] = 0;
}

void KeyboardPreview::Seed(KeyIndex key) {
    if (!IsKey(key)) return;
    const Cell cell = CellsOfKeys()[key];
    if (cell.column < 0) return;
    const auto bit = static_cast<uint8_t>(1u << cell.row);
    state_.a[cell.column] |= bit;
    state_.b[cell.column] |= bit;
    state_.c[cell.column] |= bit;
    state_.d[cell.column] |= bit;
}

void KeyboardPreview::DecayAll() {
    for (uint8_t& level : state_.keyLevel) level = DecayedLevel(level, true);
}

void KeyboardPreview::DecayAndShadeAll() {
    for (KeyIndex key = 0; key < kKeyCount; ++key) {
        state_.keyLevel[key] = DecayedLevel(state_.keyLevel[key], true);
        Shade(key);
    }
}

void KeyboardPreview::DecayAndShadePath() {
    ForPathKeys([this](KeyIndex key) {
        state_.keyLevel[key] = DecayedLevel(state_.keyLevel[key], true);
        Shade(key);
    });
}

void KeyboardPreview::StepPreview(const PreviewLight& light, uint64_t nowMs) {
    light_ = light;
    brightness_ = LevelOf(light.lighting);
    switch (light.lighting.mode) {
    case 1: LineWave(WaveShape{true, 1, 7, WaveTable.data(), 2, 7}); break;
    case 2: LineWave(WaveShape{true, 0, 2, Pulse192.data(), 1, 1}); break;
    case 3: SerpentineWave(); break;
    case 4: leds_.Fill(SpectrumEffect(light.lighting, effect_)); break;
    case 5: StaticColumns(); break;
    case 6: StaticRings(); break;
    case 7: ReactiveFade(); break;
    case 8:
        Light();
        Spread();
        DecayAndShadeAll();
        break;
    case 9:
        Light();
        SpreadRow();
        DecayAndShadeAll();
        break;
    case 10: Twinkle(); break;
    case 11:
        for (KeyIndex key = 0; key < kKeyCount; ++key) {
            uint8_t& hue = state_.keyHue[key];
            hue = hue + 1 >= kWheelPeriod ? 0 : static_cast<uint8_t>(hue + 1);
            Paint(key, ColourWheel[hue], brightness_);
        }
        break;
    case 12: LineWave(WaveShape{false, 1, 23, WaveTable.data(), 1, 7}); break;
    case 13: RippleFromBelowAndAbove(); break;
    case 14: ScriptedShow(); break;
    case 15:
    case 19: StaggeredPulses(); break;
    case 16: BouncingRipple(); break;
    case 17:
        effect_.phase = StaticHue(light.selectItem);
        for (KeyIndex key = 0; key < kKeyCount; ++key) Paint(key, ColourWheel[effect_.phase], brightness_);
        break;
    case 18: MovingRings(); break;
    case kCustomColourMode:
        for (KeyIndex key = 0; key < kKeyCount; ++key) leds_.SetBrightness(key, brightness_);
        break;
    case 21: RedShow(); break;
    case 23: leds_.Fill(LightsOffEffect()); break;
    case 24: leds_.Fill(PaletteFlashEffect(light.lighting, effect_, nowMs)); break;
    default: break;
    }
}

void KeyboardPreview::LineWave(const WaveShape& shape) {
    const bool forward = light_.lighting.direction != 0;
    const int lines = shape.columns ? kColumns : kRows;
    uint8_t& phase = effect_.phase;
    if (light_.lighting.colourful != 0) {
        phase = StepPhase(forward, kWheelPeriod, phase, 1);
        uint8_t n = Next(phase, shape.startOffset, kWheelPeriod);
        for (int line = 0; line < lines; ++line) {
            ForLineKeys(shape.columns, line, [&](KeyIndex key) { Paint(key, ColourWheel[n], brightness_); });
            n = Next(n, shape.wheelStride, kWheelPeriod);
        }
        return;
    }
    phase = StepPhase(forward, kWavePeriod, phase, shape.curvePhaseStep);
    uint8_t n = Next(phase, shape.startOffset, kWavePeriod);
    for (int line = 0; line < lines; ++line) {
        const uint8_t alpha = Scale(brightness_, shape.curve[n]);
        ForLineKeys(shape.columns, line, [&](KeyIndex key) { Paint(key, light_.lighting.colour, alpha); });
        n = Next(n, shape.curveStride, kWavePeriod);
    }
}

void KeyboardPreview::SerpentineWave() {
    const bool forward = light_.lighting.direction != 0;
    const bool colourful = light_.lighting.colourful != 0;
    const uint8_t period = colourful ? kWheelPeriod : kWavePeriod;
    uint8_t& phase = effect_.phase;
    phase = StepPhase(forward, period, phase, 1);
    uint8_t n = phase;
    ForPathKeys([&](KeyIndex key) {
        if (colourful) Paint(key, ColourWheel[n], brightness_);
        else Paint(key, light_.lighting.colour, Scale(brightness_, WaveTable[n]));
        n = Next(n, 5, period);
    });
}

void KeyboardPreview::StaticColumns() {
    effect_.phase = StepPhase(light_.lighting.direction != 0, 128, effect_.phase, 1);
    if (light_.lighting.colourful == 0) {
        leds_.Fill(LedState{light_.lighting.colour, brightness_});
        return;
    }
    for (int c = 0; c < kColumns; ++c) {
        const Rgb colour = ColourWheel[(7 * c) % kWheelPeriod];
        ForLineKeys(true, c, [&](KeyIndex key) { Paint(key, colour, brightness_); });
    }
}

void KeyboardPreview::StaticRings() {
    if (light_.lighting.colourful == 0) {
        leds_.Fill(LedState{light_.lighting.colour, brightness_});
        return;
    }
    for (int ring = 0; ring < kRingCount; ++ring) {
        const Rgb colour = ColourWheel[110 - 10 * ring];
        ForRingKeys(ring, [&](KeyIndex key) { Paint(key, colour, brightness_); });
    }
}

void KeyboardPreview::ReactiveFade() {
    for (KeyIndex key = 0; key < kKeyCount; ++key) {
        uint8_t& level = state_.keyLevel[key];
        if (state_.keyTouch[key] == 1) level = static_cast<uint8_t>(std::min(255, level + 15));
        else if (state_.keyTouch[key] == 2) level = level <= 10 ? 0 : static_cast<uint8_t>(level - 5);
        Shade(key);
    }
}

void KeyboardPreview::Twinkle() {
    for (int i = 0; i < 6; ++i) Ignite(Path126[Perm105[RandomBelow(Perm105.size())]], true);
    DecayAndShadeAll();
}

void KeyboardPreview::RippleFromBelowAndAbove() {
    const uint8_t front = state_.a[8] | state_.b[8] | state_.c[8] | state_.d[8];
    if (front == kTopRow || front == kBelowGrid) {
        state_.a[8] |= front;
        state_.b[8] |= front;
        state_.c[8] |= front;
        state_.d[8] |= front;
    }
    if (state_.q > 1) {
        state_.q = 0;
        Light();
        Spread();
    }
    ++state_.q;
    DecayAndShadeAll();
}

void KeyboardPreview::ScriptedShow() {
    uint8_t& step = effect_.phase;
    switch (state_.q) {
    case 0:
        for (KeyIndex key : Show20[step % kShowRows]) Ignite(key);
        if (++step >= kShowRows) {
            step = 0;
            state_.q = 1;
        }
        break;
    case 1:
        if (step < 31) {
            for (KeyIndex key : Pairs16[step % kShowPairs]) Ignite(key);
            ++step;
        } else if (state_.keyLevel[kPairsEndKey] == 0) {
            state_.q = 2;
            step = 0;
        }
        break;
    case 2:
        Seed(kCentreKey);
        state_.q = 3;
        break;
    case 3:
        Light();
        Spread();
        if (state_.keyLevel[kRippleEndKey] != 0) state_.q = 4;
        break;
    default:
        if (state_.keyLevel[kRippleEndKey] == 0) {
            state_.q = 0;
            step = 0;
        }
        break;
    }
    DecayAndShadeAll();
}

void KeyboardPreview::StaggeredPulses() {
    ForPathKeys([this](KeyIndex key) {
        uint8_t& level = state_.keyLevel[key];
        level = static_cast<uint8_t>(level + 2);
        if (level >= kWheelPeriod) {
            level = 0;
            state_.keyHue[key] = RandomBelow(kWheelPeriod);
        }
        Paint(key, ModeColour(key), Scale(brightness_, Pulse192[level]));
    });
}

void KeyboardPreview::BouncingRipple() {
    constexpr int kLast = kColumns - 1;
    if ((state_.a[1] | state_.b[1] | state_.c[1] | state_.d[1]) == kTopRow) {
        state_.a[1] |= kTopRow;
        state_.b[1] |= kTopRow;
        state_.c[1] |= kTopRow;
        state_.d[1] |= kTopRow;
    }
    if ((state_.a[kLast] | state_.b[kLast] | state_.c[kLast] | state_.d[kLast]) == kBelowGrid) {
        state_.a[kLast] |= kBelowGrid;
        state_.b[kLast] |= kBelowGrid;
        state_.c[kLast] |= kBelowGrid;
        state_.d[kLast] |= kBelowGrid;
    }
    Light();
    Spread();
    DecayAndShadePath();
}

void KeyboardPreview::MovingRings() {
    effect_.phase = StepPhase(light_.lighting.direction != 0, kWheelPeriod, effect_.phase, 1);
    uint8_t n = effect_.phase;
    for (int ring = 0; ring < kRingCount; ++ring) {
        n = Next(n, 11, kWheelPeriod);
        const Rgb colour = ColourWheel[n];
        ForRingKeys(ring, [&](KeyIndex key) { Paint(key, colour, brightness_); });
    }
}

void KeyboardPreview::RedShow() {
    uint8_t& stage = state_.showStage;
    uint8_t& count = state_.showCount;
    auto setPathLevel = [this](size_t entry, uint8_t level) {
        if (const KeyIndex key = Path132[entry]; IsKey(key)) state_.keyLevel[key] = level;
    };
    auto setRingsLevel = [this](int firstRing, int lastRing, auto&& level) {
        for (int ring = firstRing; ring <= lastRing; ++ring)
            ForRingKeys(ring, [&](KeyIndex key) { state_.keyLevel[key] = level(state_.keyLevel[key]); });
    };
    switch (stage) {
    case 0:  // a light runs along the path and piles up at its end
        DecayAll();
        if (phase2_ < Path132.size()) setPathLevel(phase2_, 254);
        if (++phase2_ >= count) {
            phase2_ = 0;
            const bool full = count <= kRedShowLap;
            count = full ? 0 : static_cast<uint8_t>(count - kRedShowLap);
            if (full) {
                phase2_ = kRedShowPathLength;
                stage = 1;
            }
        }
        for (size_t entry = count; entry < Path132.size(); ++entry) setPathLevel(entry, 255);
        break;
    case 1:  // erased backwards
        if (phase2_ > 0) {
            --phase2_;
            setPathLevel(phase2_, 0);
        }
        if (phase2_ == 0) {
            stage = 2;
            phase2_ = kRingCount;
        }
        break;
    case 2:  // rings close in on the centre
        DecayAll();
        if (phase2_ > 0) {
            --phase2_;
            setRingsLevel(phase2_, phase2_, [](uint8_t) -> uint8_t { return 254; });
        } else if (state_.keyLevel[kRedShowCentre] == 0) {
            stage = 3;
            count = 0;
        }
        break;
    case 3:  // the centre breathes three times
        setRingsLevel(0, 1, [this](uint8_t) { return BreathingTable[phase2_ % BreathingTable.size()]; });
        if (++phase2_ >= BreathingTable.size()) {
            phase2_ = 0;
            if (++count >= 3) {
                stage = 4;
                count = 0;
            }
        }
        break;
    case 4:  // then blinks
        setRingsLevel(0, 1, [](uint8_t level) { return static_cast<uint8_t>(255 - level); });
        if (++count >= 10) {
            stage = 5;
            phase2_ = 0;
        }
        break;
    case 5:
        Seed(kRedShowCentre);
        stage = 6;
        phase2_ = 0;
        break;
    default:  // and sends a ripple out
        DecayAll();
        Light();
        Spread();
        if (++phase2_ >= 21) {
            stage = 0;
            count = kRedShowPathLength;
            phase2_ = 0;
        }
        break;
    }
    ForPathKeys([this](KeyIndex key) { Paint(key, Rgb{255, 0, 0}, Scale(brightness_, state_.keyLevel[key])); });
}

void KeyboardPreview::KeyEvent(const PreviewLight& light, KeyIndex key, bool pressed) {
    if (!IsKey(key)) return;
    light_ = light;
    brightness_ = LevelOf(light.lighting);
    switch (light.lighting.mode) {
    case 7:
        state_.keyTouch[key] = pressed ? 1 : 2;
        state_.keyLevel[key] = 255;
        break;
    case 8:
    case 9:
        if (pressed) Seed(key);
        break;
    case 14: Seed(key); break;
    case 15:
        state_.keyTouch[key] = pressed ? 1 : 2;
        state_.keyLevel[key] = 0;
        break;
    case 16: {
        const Cell cell = CellsOfKeys()[key];
        if (cell.column < 0) break;
        // A small cluster around the key lights at once.
        auto setBit = [this](int column, int row) {
            if (column >= 0 && column < kColumns && row >= 0 && row < 8) state_.a[column] |= static_cast<uint8_t>(1u << row);
        };
        const int c = cell.column;
        const int r = cell.row;
        for (int dr : {-1, 0, 1}) setBit(c, r + dr);
        if (c > 0) {
            setBit(c - 1, r);
            setBit(c - 1, r + 1);
        }
        if (c < kColumns - 1) {
            setBit(c + 1, r - 1);
            setBit(c + 1, r);
        }
        Light();
        state_.a.fill(0);
        break;
    }
    default: break;
    }
}

}  // namespace velnor7
