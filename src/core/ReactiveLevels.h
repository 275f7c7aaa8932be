// Per-key light levels of the reactive keyboard effects, with the ring of
// positions that some of them rotate.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velnor7 {

// One decay step of a key level: brighter keys fall faster; `fine` gives the slow tail.
uint8_t DecayedLevel(uint8_t level, bool fine);

class ReactiveLevels {
public:
    static constexpr size_t kKeys = 126;
    static constexpr size_t kRing = 23;

    void RaiseKeyLevel(size_t key, bool fine);
    void DecayKeyLevel(size_t key, bool fine);
    void MarkRingKeys();           // keys 0..8 whose ring byte is set light up fully
    void RotateRing(bool forward);
    void ClearKeyLevels();

    uint8_t Level(size_t key) const { return key < kKeys ? levels_[key] : 0; }
    void SetLevel(size_t key, uint8_t level) {
        if (key < kKeys) levels_[key] = level;
    }
    std::array<uint8_t, kRing>& Ring() { return ring_; }

private:
    std::array<uint8_t, kKeys> levels_{};
    std::array<uint8_t, kRing> ring_{};
};

}  // namespace velnor7
