#include "core/LedColours.h"

#include <algorithm>

namespace velnor7 {

uint32_t PackLed(const LedState& led) {
    return led.colour.red | (led.colour.green << 8) | (led.colour.blue << 16) |
           (static_cast<uint32_t>(led.brightness) << 24);
}

LedState UnpackLed(uint32_t value) {
    return LedState{Rgb{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16)},
                    static_cast<uint8_t>(value >> 24)};
}

void LedColours::Resize(int count) {
    count_ = std::max(0, count);
    entries_ = std::make_unique<std::atomic<uint32_t>[]>(static_cast<size_t>(count_));
    for (int i = 0; i < count_; ++i) entries_[static_cast<size_t>(i)].store(0);
}

void LedColours::SetBrightness(int index, uint8_t brightness) {
    SetPacked(index, (GetPacked(index) & 0x00FFFFFFu) | (static_cast<uint32_t>(brightness) << 24));
}

void LedColours::Fill(const LedState& led) {
    const uint32_t value = PackLed(led);
    for (int i = 0; i < count_; ++i) SetPacked(i, value);
}

}  // namespace velnor7
