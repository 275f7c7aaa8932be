// Every transaction that configures the keyboard, over its command channel and from its
// profile: the read-out of an attached keyboard, the light record (write and read back),
// the LED switch, the key map, the macro memory and the per-key colours of the custom mode.
// Used by the keyboard's page and by the command-line program alike.
#pragma once

#include "core/DeviceCommandChannel.h"
#include "keyboard/KeyMaps.h"
#include "keyboard/KeyboardPayloads.h"
#include "profiles/CKeyboardProfiledata.h"

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

namespace velnor7 {

class CKeyboardConfigurator {
public:
    static constexpr uint8_t kCustomLightMode = 20;

    // `macroFolder` holds the kind's macro list and files.
    CKeyboardConfigurator(CDeviceCommandChannel& channel, CKeyboardProfiledata& profile,
                          std::filesystem::path macroFolder);

    void SetMacroFolder(std::filesystem::path folder) { macroFolder_ = std::move(folder); }

    // Information, key map and LED map of the attached keyboard, and the key maps built
    // from them. False when the channel is closed or the key map would not fit a transfer.
    bool ReadOut();
    // The per-key colours of the profile's selected custom group.
    void LoadKeyColours();

    // The light record from the profile's light and system values, written at `profile` x 25
    // with `value` as its first byte. Always 1: the keyboard's answer is not evaluated.
    int WriteLightRecord(int profile = 0, uint8_t value = 0);
    // The active profile's record, read back; the profile takes its values and is saved.
    // Clears the channel's synchronisation first. Nothing when the channel is closed.
    std::optional<LightRecordReadBack> ReadLightRecord();
    int WriteLedSwitch(bool off);
    // The key map as read at the read-out, with every mapped key set to its assignment.
    int WriteKeyMap(int bank = 0);
    // 0 when written or when there are no macros, the overflow count when they do not fit,
    // -1 when the keyboard's macro memory size is unknown.
    int WriteMacros();
    // Custom mode only: the per-key colours into LED page CustomGroup, scaled by alpha.
    int WriteCustomColours();
    // Custom mode only: key `key` takes the current colour; sent without alpha scaling.
    int PaintKey(int key);

    const std::array<uint8_t, kDeviceInfoSize>& DeviceInfo() const { return info_; }
    int SlotCount() const { return info_[5]; }
    const std::vector<uint8_t>& ReportedKeyMap() const { return reportedKeyMap_; }
    const KeyMaps& Maps() const { return maps_; }
    std::vector<KeyColour>& KeyColours() { return keyColours_; }
    // The first key that sits in a slot; none for a slot no key maps to.
    std::optional<KeyIndex> KeyOfSlot(int slot) const;

private:
    bool Open() const { return channel_.IsOpen(); }
    void RefreshDeviceInfo();
    int SendLedBuffer(const std::vector<uint8_t>& buffer);

    CDeviceCommandChannel& channel_;
    CKeyboardProfiledata& profile_;
    std::filesystem::path macroFolder_;
    std::array<uint8_t, kDeviceInfoSize> info_{};
    std::vector<uint8_t> reportedKeyMap_;
    std::vector<uint8_t> reportedLedMap_;
    KeyMaps maps_;
    std::vector<KeyColour> keyColours_;
};

}  // namespace velnor7
