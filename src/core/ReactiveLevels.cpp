#include "core/ReactiveLevels.h"

#include <algorithm>

namespace velnor7 {
namespace {

// Brighter keys change in bigger steps, so a fade looks even to the eye.
int RaiseStep(uint8_t level, bool fine) {
    if (level >= 128) return fine ? 6 : 40;
    if (level >= 64) return fine ? 5 : 30;
    if (level >= 32) return fine ? 4 : 10;
    if (level >= 17) return fine ? 3 : 8;
    if (level >= 9) return fine ? 2 : 4;
    return fine ? 1 : 4;
}

int DecayStep(uint8_t level, bool fine) {
    if (level >= 128) return 40;
    if (level >= 64) return 30;
    if (level >= 32) return 10;
    if (level >= 17) return 8;
    return fine ? 1 : 4;
}

}  // namespace

void ReactiveLevels::RaiseKeyLevel(size_t key, bool fine) {
    if (key >= kKeys || levels_[key] == 0) return;
    levels_[key] = static_cast<uint8_t>(std::min(255, levels_[key] + RaiseStep(levels_[key], fine)));
}

uint8_t DecayedLevel(uint8_t level, bool fine) {
    if (level == 0) return 0;
    return static_cast<uint8_t>(std::max(0, level - DecayStep(level, fine)));
}

void ReactiveLevels::DecayKeyLevel(size_t key, bool fine) {
    if (key < kKeys) levels_[key] = DecayedLevel(levels_[key], fine);
}

void ReactiveLevels::MarkRingKeys() {
    for (size_t i = 0; i <= 8; ++i)
        if (ring_[i] != 0) levels_[i] = 255;
}

void ReactiveLevels::RotateRing(bool forward) {
    if (forward) std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
    else std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
}

void ReactiveLevels::ClearKeyLevels() {
    levels_.fill(0);
    ring_.fill(0);
}

}  // namespace velnor7
