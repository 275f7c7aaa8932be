// The bytes the keyboard is sent and the bytes it answers with: its light and
// system record, its key map, its macro memory image and its LED colour buffer.
#pragma once

#include "core/KeyCode.h"
#include "keyboard/KeyMaps.h"
#include "macros/MacroEvent.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace velnor7 {

constexpr size_t kLightRecordSize = 26;
constexpr size_t kLightRecordStride = 25;  // profile P's record starts at P x 25
constexpr size_t kLedSwitchOffset = 15;
constexpr size_t kLedBufferSize = 512;
constexpr uint8_t kLightModeCount = 25;  // modes from 25 on are the program's own and reach the keyboard as 0

using LightRecord = std::array<uint8_t, kLightRecordSize>;

LightRecord BuildLightRecord(const LightInfoRecord& light, const KeyboardSystemValues& system, uint8_t firstByte = 0);

// What a light record read back from the keyboard says.
struct LightRecordReadBack {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t zzccSelectItem = 0;
    uint8_t customGroup = 0;
    uint16_t wFlag = 0;
    uint16_t key6Flag = 0;
    uint16_t winFlag = 0;
};
LightRecordReadBack ParseLightRecord(const LightRecord& record);

// The keyboard's key map with every key it has set to the key's current
// assignment; slots no key maps keep what the keyboard reported.
std::vector<uint8_t> BuildKeyMapBuffer(std::span<const uint8_t> reportedKeyMap, const KeySlotMap& slots,
                                       std::span<const KeyListEntry> keyList);

// The macro memory image. When it would not fit the capacity, blob is empty and
// overflow is one more than the number of whole events that do not fit.
struct MacroBlobResult {
    std::vector<uint8_t> blob;
    int overflow = 0;
};
MacroBlobResult BuildMacroBlob(const std::vector<std::vector<MacroEvent>>& macros, size_t capacityBytes);

struct KeyColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
};
// Three bytes per LED at LED index x 3, scaled by each key's alpha when asked.
// Keys without an LED, or whose LED does not fit the buffer, are left out.
std::vector<uint8_t> BuildLedBuffer(std::span<const KeyColour> colours, const KeyLedMap& leds, bool scaleByAlpha);

}  // namespace velnor7
