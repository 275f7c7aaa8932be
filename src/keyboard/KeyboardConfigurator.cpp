#include "keyboard/KeyboardConfigurator.h"

#include "macros/MacroFiles.h"

namespace velnor7 {

CKeyboardConfigurator::CKeyboardConfigurator(CDeviceCommandChannel& channel, CKeyboardProfiledata& profile,
                                             std::filesystem::path macroFolder)
    : channel_(channel), profile_(profile), macroFolder_(std::move(macroFolder)), keyColours_(kKeyCount) {
    maps_.slots.fill(kAbsentKey);
    maps_.leds.fill(kAbsentKey);
}

bool CKeyboardConfigurator::ReadOut() {
    if (!Open()) return false;
    channel_.BeginConfig();
    const bool read = channel_.ReadDeviceInfo(info_.data()) == kResultOk;
    const int slots = info_[5];
    // A key map longer than one transfer is refused; the configuration is still closed.
    if (!read || channel_.SetDataSize(static_cast<uint16_t>(slots * 3)) != kResultOk) {
        channel_.EndConfig();
        return false;
    }
    reportedKeyMap_.assign(static_cast<size_t>(slots) * 3, 0);
    reportedLedMap_.assign(static_cast<size_t>(slots), kAbsentKey);
    channel_.ReadKeyMap(reportedKeyMap_.data());
    channel_.ReadKeyLedMap(reportedLedMap_.data());
    channel_.EndConfig();
    maps_ = BuildKeyMaps(reportedKeyMap_, reportedLedMap_, slots);
    return true;
}

void CKeyboardConfigurator::LoadKeyColours() {
    const std::vector<CustomColour> colours = profile_.ReadCustomColours(profile_.ReadCustomGroupIndex(), kKeyCount);
    keyColours_.assign(kKeyCount, KeyColour{0, 0, 0, 0});
    for (size_t i = 0; i < colours.size() && i < keyColours_.size(); ++i) {
        keyColours_[i] = KeyColour{colours[i].red, colours[i].green, colours[i].blue, colours[i].alpha};
    }
}

void CKeyboardConfigurator::RefreshDeviceInfo() {
    if (Open()) channel_.ReadDeviceInfo(info_.data());
}

int CKeyboardConfigurator::WriteLightRecord(int profile, uint8_t value) {
    const LightRecord record = BuildLightRecord(profile_.ReadLightInfo(), profile_.ReadSystemStages(), value);
    if (Open()) channel_.BeginConfig();
    channel_.WriteParameters(record.data(), record.size(), static_cast<uint16_t>(profile * kLightRecordStride));
    channel_.EndConfig();
    return 1;
}

std::optional<LightRecordReadBack> CKeyboardConfigurator::ReadLightRecord() {
    channel_.SetSynced(false);
    if (!Open()) return std::nullopt;
    uint8_t active = 0;
    if (channel_.ReadParameters(&active, 1, 0) != kResultOk) return std::nullopt;
    LightRecord record{};
    if (channel_.ReadParameters(record.data(), record.size(), static_cast<uint16_t>(active * kLightRecordStride)) !=
        kResultOk) {
        return std::nullopt;
    }
    const LightRecordReadBack readBack = ParseLightRecord(record);
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = readBack.mode;
    light.light = readBack.brightness;
    light.speed = readBack.speed;
    light.multiColor = readBack.multiColor;
    light.red = readBack.red;
    light.green = readBack.green;
    light.blue = readBack.blue;
    profile_.WriteLightInfo(light);
    KeyboardSystemValues system = profile_.ReadSystemStages();
    system.wFlag = readBack.wFlag;
    system.key6Flag = readBack.key6Flag;
    system.winFlag = readBack.winFlag;
    profile_.WriteSystemStages(system);
    profile_.Save();
    return readBack;
}

int CKeyboardConfigurator::WriteLedSwitch(bool off) {
    const uint8_t value = off ? 1 : 0;
    return channel_.WriteParameters(&value, 1, kLedSwitchOffset);
}

int CKeyboardConfigurator::WriteKeyMap(int bank) {
    RefreshDeviceInfo();
    const std::vector<uint8_t> buffer = BuildKeyMapBuffer(reportedKeyMap_, maps_.slots, profile_.ReadKeyList());
    // Without a read-out there is no key map to start from, and the channel would read
    // past the buffer: nothing is sent.
    if (buffer.size() != channel_.DataSize()) return 1;
    if (Open()) channel_.BeginConfig();
    channel_.WriteKeyMap(buffer.data(), bank);
    channel_.EndConfig();
    return 1;
}

int CKeyboardConfigurator::WriteMacros() {
    RefreshDeviceInfo();
    const std::vector<std::vector<MacroEvent>> macros = ReadAllMacroEvents(macroFolder_);
    if (macros.empty()) return 0;
    const size_t capacity = static_cast<size_t>(info_[6]) * 128;
    if (capacity == 0) return -1;
    const MacroBlobResult result = BuildMacroBlob(macros, capacity);
    if (result.overflow > 0) return result.overflow;
    if (Open()) channel_.BeginConfig();
    channel_.WriteMacroData(result.blob.data(), result.blob.size());
    channel_.EndConfig();
    return 0;
}

int CKeyboardConfigurator::SendLedBuffer(const std::vector<uint8_t>& buffer) {
    // The keyboard's answer is not retried, so there is nothing to wait for after a failure.
    return channel_.WriteLedFrame(buffer.data(), buffer.size(), profile_.ReadLightInfo().customGroup,
                                  static_cast<int>(kLedBufferSize));
}

int CKeyboardConfigurator::WriteCustomColours() {
    if (profile_.ReadLightInfo().selectItem != kCustomLightMode) return 0;
    return SendLedBuffer(BuildLedBuffer(keyColours_, maps_.leds, true));
}

int CKeyboardConfigurator::PaintKey(int key) {
    const LightInfoRecord light = profile_.ReadLightInfo();
    if (light.selectItem != kCustomLightMode || key < 0 || key >= static_cast<int>(keyColours_.size())) return 0;
    KeyColour& colour = keyColours_[static_cast<size_t>(key)];
    colour.red = light.red;
    colour.green = light.green;
    colour.blue = light.blue;
    if (channel_.SlowMode()) return 0;
    return SendLedBuffer(BuildLedBuffer(keyColours_, maps_.leds, false));
}

std::optional<KeyIndex> CKeyboardConfigurator::KeyOfSlot(int slot) const {
    for (int key = 0; key < kKeyCount; ++key) {
        if (maps_.slots[static_cast<size_t>(key)] == slot) return static_cast<KeyIndex>(key);
    }
    return std::nullopt;
}

}  // namespace velnor7
