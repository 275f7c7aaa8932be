// The profile's per-LED effects (breathe, static, blink, colour cycle, off), painted over
// whatever the light mode painted, on every pass of the preview thread.
#pragma once

#include "core/LedColours.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace velnor7 {

class AreaOverlay {
public:
    enum AreaMode : uint8_t { kBreathe = 0, kStatic = 1, kBlink = 2, kColourCycle = 3, kOff = 4 };

    // Entry i applies to LED i; the effects start over. Any thread.
    void Load(std::vector<LightListEntry> entries);
    // One pass over every entry. The preview thread only.
    void Pass(LedColours& leds, uint64_t nowMs);
    // Whether some entry changes from one pass to the next (the others need a pass only
    // when something painted under them).
    bool Animated() const;

private:
    struct EntryState {
        uint8_t breathePhase = 0;
        uint8_t breatheHue = 0;
        bool blinkOn = false;
        uint8_t blinkHue = 0;
        uint64_t blinkToggleMs = 0;
        uint32_t blinkPeriodMs = 0;
        uint8_t cycleHue = 0;
        uint8_t cycleCount = 0;
        uint8_t cyclePeriod = 0;
    };

    mutable std::mutex lock_;  // guards the entries and their state, for a whole pass
    std::vector<LightListEntry> entries_;
    std::vector<EntryState> states_;
    bool animated_ = false;
};

}  // namespace velnor7
