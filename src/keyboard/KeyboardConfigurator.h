// Every transaction that configures the keyboard, over its command channel and from its
// profile: the read-out of an attached keyboard, the light record (write and read back),
// the LED switch, the key map, the macro memory and the per-key colours of the custom mode.
// Used by the keyboard's page and by the command-line program alike.
//
// Each transaction returns what it came to, with a reason a person can read. It stops at
// the first failure; a transaction that put the keyboard into configuration closes it
// again while the keyboard still answers. Nothing is written from the keyboard's own data
// (key map, LED map, macro memory size) unless they were read without a fault.
#pragma once

#include "core/DeviceCommandChannel.h"
#include "core/DeviceInformation.h"
#include "core/DeviceResult.h"
#include "core/LightTables.h"
#include "keyboard/KeyMaps.h"
#include "keyboard/KeyboardPayloads.h"
#include "profiles/CKeyboardProfiledata.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace velnor7 {

// A light record read back from the keyboard; `record` is meaningful unless the result
// failed before the keyboard answered (ProfileNotSaved still carries it).
struct LightRecordRead {
    DeviceResult result;
    LightRecordReadBack record;
};

struct MacroWrite {
    DeviceResult result;
    size_t macros = 0;  // macros in the list; 0: nothing was sent
    int overflow = 0;   // DoesNotFit: one more than the whole events that do not fit
};

class CKeyboardConfigurator {
public:
    static constexpr uint8_t kCustomLightMode = 20;

    // `dataFolder` is the kind's user data folder: the macro list and files, and the key slots
    // remembered per keyboard model.
    CKeyboardConfigurator(CDeviceCommandChannel& channel, CKeyboardProfiledata& profile,
                          std::filesystem::path dataFolder);

    void SetDataFolder(std::filesystem::path folder) { dataFolder_ = std::move(folder); }

    // Information, key map and LED map of the attached keyboard, and the key maps built
    // from them: all of them, or (on any failure) none. Keys are found in the slots this
    // keyboard model had them in before, where its LED map confirms them, and otherwise by
    // their factory codes; where they are is remembered for the next time.
    DeviceResult ReadOut();
    bool HasReadOut() const { return readOut_; }
    // The read-out no longer describes the attached keyboard (it was pulled out).
    void Forget();
    // The per-key colours of the profile's selected custom group.
    void LoadKeyColours();

    // The light record from the profile's light and system values, written at `profile` x 25
    // with `value` as its first byte.
    DeviceResult WriteLightRecord(int profile = 0, uint8_t value = 0);
    // The active profile's record, read back; the profile takes its values and is saved.
    // Clears the channel's synchronisation first.
    LightRecordRead ReadLightRecord();
    DeviceResult WriteLedSwitch(bool off);
    // The key map as read at the read-out, with every mapped key set to its assignment.
    DeviceResult WriteKeyMap(int bank = 0);
    // Every macro of the list into the macro memory; nothing when the list is empty.
    MacroWrite WriteMacros();
    // Custom mode only: the per-key colours into LED page CustomGroup, scaled by alpha.
    DeviceResult WriteCustomColours();
    // Custom mode only: the keys take the current colour; sent once, without alpha scaling.
    DeviceResult PaintKeys(const std::vector<int>& keys);
    DeviceResult PaintKey(int key) { return PaintKeys({key}); }
    // Every key takes `colour`; custom mode only, the keyboard shows them. A painted key keeps
    // its alpha, except a key without any, which is given full alpha so that it shows.
    DeviceResult FillKeys(const Rgb& colour);
    // The per-key colours into the profile's custom set `group`, and the profile saved.
    DeviceResult StoreKeyColours(int group);

    const std::array<uint8_t, kDeviceInfoSize>& DeviceInfo() const { return info_; }
    int SlotCount() const { return info_[kInfoKeySlots]; }
    const std::vector<uint8_t>& ReportedKeyMap() const { return reportedKeyMap_; }
    const KeyMaps& Maps() const { return maps_; }
    std::vector<KeyColour>& KeyColours() { return keyColours_; }
    // The first key that sits in a slot; none for a slot no key maps to.
    std::optional<KeyIndex> KeyOfSlot(int slot) const;

private:
    DeviceResult Step(int code, std::string_view operation, const TransferProgress* progress = nullptr) const;
    // The key maps of the read-out, with the slots remembered for this keyboard model.
    void IdentifyKeys();
    // BeginConfig, `body`, EndConfig.
    DeviceResult InConfiguration(const std::function<DeviceResult()>& body);
    // The device information again, checked against the read-out's.
    DeviceResult RefreshDeviceInfo();
    DeviceResult SendLedBuffer(const std::vector<uint8_t>& buffer);
    // The key shows `colour`; its alpha stays unless it had none.
    static void TakeColour(KeyColour& key, const Rgb& colour);

    CDeviceCommandChannel& channel_;
    CKeyboardProfiledata& profile_;
    std::filesystem::path dataFolder_;
    bool readOut_ = false;
    std::array<uint8_t, kDeviceInfoSize> info_{};
    std::vector<uint8_t> reportedKeyMap_;
    std::vector<uint8_t> reportedLedMap_;
    KeyMaps maps_;
    std::vector<KeyColour> keyColours_;
};

}  // namespace velnor7
