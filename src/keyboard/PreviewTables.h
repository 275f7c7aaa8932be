// The constant tables of the keyboard's on-screen light preview: paths and rings over the
// keys, the scripted shows, the pulse and wave curves and the pacing of each mode.
#pragma once

#include "core/KeyCode.h"

#include <array>
#include <cstdint>
#include <optional>

namespace velnor7 {

constexpr int kRingCount = 12;
constexpr int kRingSize = 12;
constexpr int kShowRows = 20;
constexpr int kShowRowSize = 6;
constexpr int kShowPairs = 16;

// A serpentine order over the 105 lit keys, padded with kEmptyCell.
extern const std::array<KeyIndex, 126> Path126;
// Rings of keys around the centre key, innermost first; kAbsentKey fills a ring.
extern const std::array<std::array<KeyIndex, kRingSize>, kRingCount> Rings;
// The path the scripted red show runs along; kEmptyCell marks a pause.
extern const std::array<KeyIndex, 132> Path132;
// A fixed shuffle of the positions 0..104 of Path126.
extern const std::array<uint8_t, 105> Perm105;
// Start levels of the staggered pulses, by tall-layout cell: row + 6 x column.
extern const std::array<uint8_t, 140> Offsets140;
// A pulse: 25 rising values, a long fall, then darkness.
extern const std::array<uint8_t, 192> Pulse192;
// Rows of keys lit one after another by the scripted show; kAbsentKey: none.
extern const std::array<std::array<KeyIndex, kShowRowSize>, kShowRows> Show20;
// Pairs of keys the scripted show lights after its rows.
extern const std::array<std::array<KeyIndex, 2>, kShowPairs> Pairs16;
// The upper part of the breathing curve, rising then falling: 22 up to 255 and back.
inline constexpr uint8_t kWavePeriod = 96;
extern const std::array<uint8_t, kWavePeriod> WaveTable;

// Ticks between two steps of a mode at a speed (speeds past 4 run as 4); none for a mode
// that has no generator of its own and plays the light preset instead.
std::optional<int> PreviewPeriodTicks(uint8_t mode, uint8_t speed);

}  // namespace velnor7
