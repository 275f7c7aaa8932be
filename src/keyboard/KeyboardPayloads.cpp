#include "keyboard/KeyboardPayloads.h"

#include <algorithm>

namespace velnor7 {
namespace {

constexpr uint8_t kSlowestSpeed = 4;  // the keyboard counts speed the other way round
constexpr uint16_t kMacroMagic = 0x55AA;
constexpr size_t kMacroHeaderSize = 16;
constexpr size_t kMacroBlockHeaderSize = 4;
constexpr size_t kMacroEventSize = 4;

void PutWord(std::vector<uint8_t>& bytes, size_t at, size_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

uint8_t ReversedSpeed(uint8_t speed) { return static_cast<uint8_t>(kSlowestSpeed - std::min(speed, kSlowestSpeed)); }

}  // namespace

LightRecord BuildLightRecord(const LightInfoRecord& light, const KeyboardSystemValues& system, uint8_t firstByte) {
    LightRecord record{};
    record[0] = firstByte;
    record[1] = light.selectItem >= kLightModeCount ? 0 : light.selectItem;
    record[2] = light.light;
    record[3] = ReversedSpeed(light.speed);
    record[4] = light.fx;
    record[5] = light.multiColor;
    record[6] = light.red;
    record[7] = light.green;
    record[8] = light.blue;
    record[15] = light.ledStaus;
    record[18] = light.zzccSelectItem;
    record[19] = static_cast<uint8_t>(system.wFlag);
    record[20] = static_cast<uint8_t>(system.key6Flag);
    record[21] = static_cast<uint8_t>(system.winFlag);
    record[22] = static_cast<uint8_t>(system.pollingRate);
    record[25] = light.customGroup;
    return record;
}

LightRecordReadBack ParseLightRecord(const LightRecord& record) {
    LightRecordReadBack values;
    values.mode = record[1];
    values.brightness = record[2];
    values.speed = ReversedSpeed(record[3]);
    values.multiColor = record[5];
    values.red = record[6];
    values.green = record[7];
    values.blue = record[8];
    values.zzccSelectItem = record[18];
    values.wFlag = record[19];
    values.key6Flag = record[20];
    values.winFlag = record[21];
    values.customGroup = record[25];
    return values;
}

std::vector<uint8_t> BuildKeyMapBuffer(std::span<const uint8_t> reportedKeyMap, const KeySlotMap& slots,
                                       std::span<const KeyListEntry> keyList) {
    std::vector<uint8_t> buffer(reportedKeyMap.begin(), reportedKeyMap.end());
    const size_t keys = std::min(keyList.size(), slots.size());
    for (size_t key = 0; key < keys; ++key) {
        const size_t slot = slots[key];
        if (slot == kAbsentKey || slot * 3 + 2 >= buffer.size()) continue;
        const KeyCode& code = keyList[key].current.code;
        buffer[slot * 3] = code.type;
        buffer[slot * 3 + 1] = code.p1;
        buffer[slot * 3 + 2] = code.p2;
    }
    return buffer;
}

MacroBlobResult BuildMacroBlob(const std::vector<std::vector<MacroEvent>>& macros, size_t capacityBytes) {
    MacroBlobResult result;
    size_t events = 0;
    for (const auto& macro : macros) events += macro.size();
    const size_t total = kMacroHeaderSize + 6 * macros.size() + kMacroEventSize * events;
    if (total > capacityBytes || total > 0xFFFF) {
        result.overflow = static_cast<int>((total - std::min(total, capacityBytes)) / kMacroEventSize + 1);
        return result;
    }
    std::vector<uint8_t>& blob = result.blob;
    blob.assign(total, 0);
    PutWord(blob, 0, kMacroMagic);
    PutWord(blob, 2, total);
    PutWord(blob, 4, macros.size());
    size_t block = kMacroHeaderSize + 2 * macros.size();
    for (size_t m = 0; m < macros.size(); ++m) {
        PutWord(blob, kMacroHeaderSize + 2 * m, block);
        PutWord(blob, block, macros[m].size());
        size_t at = block + kMacroBlockHeaderSize;
        for (const MacroEvent& event : macros[m]) {
            const std::array<uint8_t, 4> form = MacroEventDeviceForm(event);
            std::copy(form.begin(), form.end(), blob.begin() + static_cast<std::ptrdiff_t>(at));
            at += kMacroEventSize;
        }
        block = at;
    }
    return result;
}

std::vector<uint8_t> BuildLedBuffer(std::span<const KeyColour> colours, const KeyLedMap& leds, bool scaleByAlpha) {
    std::vector<uint8_t> buffer(kLedBufferSize, 0);
    const size_t keys = std::min(colours.size(), leds.size());
    const auto scaled = [scaleByAlpha](uint8_t value, uint8_t alpha) {
        return scaleByAlpha ? static_cast<uint8_t>((value * alpha) >> 8) : value;
    };
    for (size_t key = 0; key < keys; ++key) {
        const size_t led = leds[key];
        if (led == kAbsentKey || led * 3 + 2 >= kLedBufferSize) continue;
        const KeyColour& colour = colours[key];
        buffer[led * 3] = scaled(colour.red, colour.alpha);
        buffer[led * 3 + 1] = scaled(colour.green, colour.alpha);
        buffer[led * 3 + 2] = scaled(colour.blue, colour.alpha);
    }
    buffer.resize(3 * leds.size());
    return buffer;
}

}  // namespace velnor7
