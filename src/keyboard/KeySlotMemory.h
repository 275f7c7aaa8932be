// Where each key sits on a keyboard model, remembered in the user data folder. A slot is found
// by its factory code only while the key still carries it: once remapped, the key would be lost
// on the next attach, or taken for the key whose code it now carries. The LED map does not
// change with remaps, so a remembered slot is used only where the keyboard's LED map still
// shows the key's LED there.
#pragma once

#include "keyboard/KeyMaps.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace velnor7 {

struct RememberedSlot {
    uint8_t slot = 0;
    uint8_t led = 0;  // the LED map's entry of that slot when it was remembered
    bool operator==(const RememberedSlot&) const = default;
};
using RememberedSlots = std::array<std::optional<RememberedSlot>, kKeyCount>;

// The slots of a keyboard: remembered ones that its LED map confirms first, then factory codes
// for the other keys, on slots no remembered key holds. Without remembered slots this is
// BuildKeyMaps.
KeyMaps IdentifyKeySlots(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount,
                         const RememberedSlots& remembered);

// What the maps say of every key that has a slot.
RememberedSlots SlotsToRemember(const KeyMaps& maps, std::span<const uint8_t> rawLedMap);

class KeySlotMemory {
public:
    // The model is the keyboard's model name and key count, as its information block gives them.
    KeySlotMemory(std::filesystem::path folder, const std::string& modelName, int slotCount);

    const std::filesystem::path& File() const { return file_; }
    // Nothing remembered for a file that is missing or does not describe this model.
    RememberedSlots Load() const;
    // Writes the slots when they differ from the file's; false with `reason` when it cannot.
    bool Save(const RememberedSlots& slots, std::string& reason) const;

private:
    std::filesystem::path file_;
    int slotCount_;
};

}  // namespace velnor7
