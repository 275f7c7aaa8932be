// The per-LED colours of a page. One thread renders them while the UI thread shows them:
// every entry is one atomic word, so a reader always sees a whole LED (a frame may still
// mix two steps).
#pragma once

#include "core/LightEffects.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace velnor7 {

// red | green << 8 | blue << 16 | brightness << 24.
uint32_t PackLed(const LedState& led);
LedState UnpackLed(uint32_t value);

class LedColours {
public:
    // `count` dark LEDs.
    void Resize(int count);
    int Count() const { return count_; }

    // Out-of-range LEDs are ignored on writes and read as dark.
    void Set(int index, const LedState& led) { SetPacked(index, PackLed(led)); }
    LedState Get(int index) const { return UnpackLed(GetPacked(index)); }
    void SetPacked(int index, uint32_t value) {
        if (index >= 0 && index < count_) entries_[static_cast<size_t>(index)].store(value, std::memory_order_relaxed);
    }
    uint32_t GetPacked(int index) const {
        return index >= 0 && index < count_ ? entries_[static_cast<size_t>(index)].load(std::memory_order_relaxed) : 0;
    }
    // Keeps the colour, sets the brightness.
    void SetBrightness(int index, uint8_t brightness);
    void Fill(const LedState& led);

private:
    int count_ = 0;
    std::unique_ptr<std::atomic<uint32_t>[]> entries_;
};

}  // namespace velnor7
