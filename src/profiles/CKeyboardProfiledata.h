// Profile data of the keyboard page: the base records plus the keyboard system
// values and the custom (per-key) colour groups.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/KeyCode.h"
#include "profiles/CBasicProfiledata.h"

namespace velnor7 {

struct DefaultCustomKey {
    KeyIndex key;
    CustomColour colour;
};

// The keys that a fresh colour group lights: five in yellow, four in red, one in green.
extern const std::array<DefaultCustomKey, 10> DefaultCustomKeys;

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    KeyboardSystemValues ReadSystemStages();
    void WriteSystemStages(const KeyboardSystemValues& values);

    // The first `count` colours of a custom group. A group not in the document yet
    // is created with `count` black elements and the DefaultCustomKeys colours, and
    // reads as all black this time. A null element reads as black and makes the
    // DefaultCustomKeys elements of the group take their default colours again.
    // An out-of-range group (or a negative count) reads as an empty list.
    std::vector<CustomColour> ReadCustomColours(int group, int count);
    void WriteCustomColours(const std::vector<CustomColour>& colours, int group);
    int32_t ReadCustomGroupIndex();
    void WriteCustomGroupIndex(int32_t index);

    const KeyboardSystemValues& GetSystemStages() const { return systemValues_; }
    const std::vector<CustomColour>& GetCustomColours() const { return customColours_; }
    int32_t GetCustomGroupIndex() const { return customGroupIndex_; }

private:
    Json::Value& WritableGroup(int group);

    KeyboardSystemValues systemValues_;
    std::vector<CustomColour> customColours_;
    int32_t customGroupIndex_ = 0;
};

}  // namespace velnor7
