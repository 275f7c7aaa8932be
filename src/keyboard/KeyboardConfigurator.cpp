#include "keyboard/KeyboardConfigurator.h"

#include "common/Trace.h"
#include "core/DeviceInformation.h"
#include "common/NoticeOnce.h"
#include "keyboard/KeySlotMemory.h"
#include "macros/MacroFiles.h"

namespace velnor7 {
namespace {

// "The keyboard could not be read: <what the step said>".
DeviceResult Explained(DeviceResult result, const std::string& what) {
    if (!result.Ok()) result.reason = what + ": " + result.reason;
    return result;
}

// As Explained, and says how much of the write the keyboard had taken.
DeviceResult ExplainedWrite(DeviceResult result, const std::string& what) {
    result = Explained(std::move(result), what);
    if (const std::string partial = PartialWriteNote(result); !result.Ok() && !partial.empty()) {
        result.reason += "; " + partial;
    }
    return result;
}

}  // namespace

CKeyboardConfigurator::CKeyboardConfigurator(CDeviceCommandChannel& channel, CKeyboardProfiledata& profile,
                                             std::filesystem::path dataFolder)
    : channel_(channel), profile_(profile), dataFolder_(std::move(dataFolder)), keyColours_(kKeyCount) {
    Forget();
}

DeviceResult CKeyboardConfigurator::Step(int code, std::string_view operation, const TransferProgress* progress) const {
    return ChannelStepResult(code, operation, channel_, progress);
}

DeviceResult CKeyboardConfigurator::InConfiguration(const std::function<DeviceResult()>& body) {
    const DeviceResult begun = Step(channel_.BeginConfig(), "BeginConfig");
    DeviceResult result = begun.Ok() ? body() : begun;
    // Whatever happened, the keyboard is asked to leave the configuration (a BeginConfig
    // without an answer may still have reached it), unless it is gone: it must not be left
    // waiting for the rest of a transaction. When everything else went through, a second
    // try gets past a single lost reply.
    if (result.error == DeviceError::NotOpen) return result;
    DeviceResult ended = Step(channel_.EndConfig(), "EndConfig");
    if (result.Ok() && !ended.Ok() && ended.error != DeviceError::NotOpen) {
        Trace("keyboard: %s; trying once more", ended.reason.c_str());
        ended = Step(channel_.EndConfig(), "EndConfig");
    }
    if (result.Ok() && !ended.Ok()) {
        ended.chunksDone = result.chunksDone;
        ended.chunksTotal = result.chunksTotal;
        result = ended;
    }
    return result;
}

void CKeyboardConfigurator::Forget() {
    readOut_ = false;
    info_.fill(0);
    reportedKeyMap_.clear();
    reportedLedMap_.clear();
    maps_.slots.fill(kAbsentKey);
    maps_.leds.fill(kAbsentKey);
}

DeviceResult CKeyboardConfigurator::ReadOut() {
    const std::string what = "The keyboard could not be read";
    Forget();
    if (!channel_.IsOpen()) return DeviceResult::Failure(DeviceError::NotOpen, what + ": it is not attached");
    std::array<uint8_t, kDeviceInfoSize> info{};
    std::vector<uint8_t> keyMap;
    std::vector<uint8_t> ledMap;
    const DeviceResult result = InConfiguration([&] {
        TransferProgress progress;
        DeviceResult step = Step(channel_.ReadDeviceInfo(info.data(), &progress), "ReadDeviceInfo", &progress);
        if (!step.Ok()) return step;
        const size_t slots = info[kInfoKeySlots];
        if (channel_.SetDataSize(static_cast<uint16_t>(slots * 3)) != kResultOk) {
            return DeviceResult::Failure(DeviceError::Unsupported,
                                         "it reports " + std::to_string(slots) + " keys, more than a key map transfer holds");
        }
        keyMap.assign(slots * 3, 0);
        step = Step(channel_.ReadKeyMap(keyMap.data(), &progress), "ReadKeyMap", &progress);
        if (!step.Ok()) return step;
        ledMap.assign(slots, kAbsentKey);
        return Step(channel_.ReadKeyLedMap(ledMap.data(), &progress), "ReadKeyLedMap", &progress);
    });
    if (!result.Ok()) return Explained(result, what);
    info_ = info;
    reportedKeyMap_ = std::move(keyMap);
    reportedLedMap_ = std::move(ledMap);
    IdentifyKeys();
    readOut_ = true;
    return result;
}

void CKeyboardConfigurator::IdentifyKeys() {
    const int slots = info_[kInfoKeySlots];
    if (dataFolder_.empty()) {
        maps_ = BuildKeyMaps(reportedKeyMap_, reportedLedMap_, slots);
        return;
    }
    const KeySlotMemory memory(dataFolder_, DecodeDeviceInformation(info_).model, slots);
    maps_ = IdentifyKeySlots(reportedKeyMap_, reportedLedMap_, slots, memory.Load());
    std::string reason;
    if (!memory.Save(SlotsToRemember(maps_, reportedLedMap_), reason)) {
        Trace("%s", reason.c_str());
        UserNoticeOnce("Keys remapped from now on may not be found after a restart: " + reason + ".");
    }
}

void CKeyboardConfigurator::LoadKeyColours() {
    const std::vector<CustomColour> colours = profile_.ReadCustomColours(profile_.ReadCustomGroupIndex(), kKeyCount);
    keyColours_.assign(kKeyCount, KeyColour{0, 0, 0, 0});
    for (size_t i = 0; i < colours.size() && i < keyColours_.size(); ++i) {
        keyColours_[i] = KeyColour{colours[i].red, colours[i].green, colours[i].blue, colours[i].alpha};
    }
}

DeviceResult CKeyboardConfigurator::RefreshDeviceInfo() {
    std::array<uint8_t, kDeviceInfoSize> fresh{};
    TransferProgress progress;
    DeviceResult result = Step(channel_.ReadDeviceInfo(fresh.data(), &progress), "ReadDeviceInfo", &progress);
    if (!result.Ok()) return result;
    if (readOut_ && fresh[kInfoKeySlots] != info_[kInfoKeySlots]) {
        return DeviceResult::Failure(DeviceError::DeviceChanged,
                                     "it now reports " + std::to_string(fresh[kInfoKeySlots]) + " keys instead of " +
                                         std::to_string(info_[kInfoKeySlots]) + "; it has to be read again");
    }
    info_ = fresh;
    return result;
}

DeviceResult CKeyboardConfigurator::WriteLightRecord(int profile, uint8_t value) {
    const std::string what = "The keyboard's light record was not written";
    if (!channel_.IsOpen()) return DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached");
    const LightRecord record = BuildLightRecord(profile_.ReadLightInfo(), profile_.ReadSystemStages(), value);
    const DeviceResult result = InConfiguration([&] {
        TransferProgress progress;
        return Step(channel_.WriteParameters(record.data(), record.size(),
                                             static_cast<uint16_t>(profile * kLightRecordStride), &progress),
                    "WriteParameters", &progress);
    });
    return ExplainedWrite(result, what);
}

LightRecordRead CKeyboardConfigurator::ReadLightRecord() {
    const std::string what = "The keyboard's own settings could not be read back";
    channel_.SetSynced(false);
    if (!channel_.IsOpen()) return {DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached"), {}};
    uint8_t active = 0;
    TransferProgress progress;
    DeviceResult result = Step(channel_.ReadParameters(&active, 1, 0, &progress), "ReadParameters", &progress);
    LightRecord record{};
    if (result.Ok()) {
        result = Step(channel_.ReadParameters(record.data(), record.size(),
                                              static_cast<uint16_t>(active * kLightRecordStride), &progress),
                      "ReadParameters", &progress);
    }
    if (!result.Ok()) return {Explained(result, what), {}};

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
    if (profile_.Save() != 0) {
        return {DeviceResult::Failure(DeviceError::ProfileNotSaved,
                                      "The keyboard's own settings were read, but the profile " + profile_.GetPath() +
                                          " could not be saved"),
                readBack};
    }
    return {result, readBack};
}

DeviceResult CKeyboardConfigurator::WriteLedSwitch(bool off) {
    const std::string what = off ? "The keyboard's lighting was not switched off" : "The keyboard's lighting was not switched on";
    if (!channel_.IsOpen()) return DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached");
    const uint8_t value = off ? 1 : 0;
    TransferProgress progress;
    return ExplainedWrite(Step(channel_.WriteParameters(&value, 1, kLedSwitchOffset, &progress), "WriteParameters", &progress),
                     what);
}

DeviceResult CKeyboardConfigurator::WriteKeyMap(int bank) {
    const std::string what = "The keyboard's key map was not written";
    if (!channel_.IsOpen()) return DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached");
    if (bank != 0) {
        return DeviceResult::Failure(DeviceError::BadArgument, what + ": only bank 0 exists; nothing was sent");
    }
    // The key map is written from the keyboard's own: without it there is nothing to start from.
    if (!readOut_) {
        return DeviceResult::Failure(DeviceError::NotReadOut,
                                     what + ": the keyboard has not been read yet; nothing was sent");
    }
    const DeviceResult refreshed = RefreshDeviceInfo();
    if (!refreshed.Ok()) return Explained(refreshed, what);
    const std::vector<uint8_t> buffer = BuildKeyMapBuffer(reportedKeyMap_, maps_.slots, profile_.ReadKeyList());
    if (buffer.size() != channel_.DataSize()) {
        return DeviceResult::Failure(DeviceError::DeviceChanged, what + ": the key map size no longer matches the keyboard");
    }
    const DeviceResult result = InConfiguration([&] {
        TransferProgress progress;
        return Step(channel_.WriteKeyMap(buffer.data(), bank, &progress), "WriteKeyMap", &progress);
    });
    return ExplainedWrite(result, what);
}

MacroWrite CKeyboardConfigurator::WriteMacros() {
    const std::string what = "The macros were not written to the keyboard";
    MacroWrite write;
    const std::vector<std::vector<MacroEvent>> macros = ReadAllMacroEvents(dataFolder_);
    write.macros = macros.size();
    if (macros.empty()) return write;
    if (!channel_.IsOpen()) {
        write.result = DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached");
        return write;
    }
    const DeviceResult refreshed = RefreshDeviceInfo();
    if (!refreshed.Ok()) {
        write.result = Explained(refreshed, what);
        return write;
    }
    const size_t capacity = static_cast<size_t>(info_[kInfoMacroUnits]) * kMacroUnitBytes;
    if (capacity == 0) {
        write.result = DeviceResult::Failure(DeviceError::Unsupported, what + ": the keyboard reports no macro memory");
        return write;
    }
    const MacroBlobResult blob = BuildMacroBlob(macros, capacity);
    if (blob.overflow > 0) {
        write.overflow = blob.overflow;
        write.result = DeviceResult::Failure(DeviceError::DoesNotFit,
                                             what + ": they do not fit its " + std::to_string(capacity) +
                                                 " bytes of macro memory; " + std::to_string(blob.overflow) +
                                                 " events too many; nothing was sent");
        return write;
    }
    write.result = ExplainedWrite(InConfiguration([&] {
                                 TransferProgress progress;
                                 return Step(channel_.WriteMacroData(blob.blob.data(), blob.blob.size(), &progress),
                                             "WriteMacroData", &progress);
                             }),
                             what);
    return write;
}

DeviceResult CKeyboardConfigurator::SendLedBuffer(const std::vector<uint8_t>& buffer) {
    const std::string what = "The keyboard's key colours were not written";
    if (!channel_.IsOpen()) return DeviceResult::Failure(DeviceError::NotOpen, what + ": the keyboard is not attached");
    // Without the LED map every key's colour would land nowhere, or on the wrong LED.
    if (!readOut_) {
        return DeviceResult::Failure(DeviceError::NotReadOut, what + ": the keyboard has not been read yet; nothing was sent");
    }
    TransferProgress progress;
    return ExplainedWrite(Step(channel_.WriteLedFrame(buffer.data(), buffer.size(), profile_.ReadLightInfo().customGroup,
                                                 static_cast<int>(kLedBufferSize), &progress),
                          "WriteLedFrame", &progress),
                     what);
}

DeviceResult CKeyboardConfigurator::WriteCustomColours() {
    if (profile_.ReadLightInfo().selectItem != kCustomLightMode) return DeviceResult::Success();
    return SendLedBuffer(BuildLedBuffer(keyColours_, maps_.leds, true));
}

void CKeyboardConfigurator::TakeColour(KeyColour& key, const Rgb& colour) {
    key.red = colour.red;
    key.green = colour.green;
    key.blue = colour.blue;
    // A key that was never lit has no alpha: a colour given to it would not show.
    const bool dark = colour.red == 0 && colour.green == 0 && colour.blue == 0;
    if (key.alpha == 0 && !dark) key.alpha = 255;
}

DeviceResult CKeyboardConfigurator::PaintKeys(const std::vector<int>& keys) {
    const LightInfoRecord light = profile_.ReadLightInfo();
    if (light.selectItem != kCustomLightMode) return DeviceResult::Success();
    bool painted = false;
    for (const int key : keys) {
        if (key < 0 || key >= static_cast<int>(keyColours_.size())) continue;
        TakeColour(keyColours_[static_cast<size_t>(key)], Rgb{light.red, light.green, light.blue});
        painted = true;
    }
    if (!painted || channel_.SlowMode()) return DeviceResult::Success();
    return SendLedBuffer(BuildLedBuffer(keyColours_, maps_.leds, false));
}

DeviceResult CKeyboardConfigurator::FillKeys(const Rgb& colour) {
    for (KeyColour& key : keyColours_) TakeColour(key, colour);
    return WriteCustomColours();
}

DeviceResult CKeyboardConfigurator::StoreKeyColours(int group) {
    std::vector<CustomColour> colours;
    colours.reserve(keyColours_.size());
    for (const KeyColour& key : keyColours_) colours.push_back(CustomColour{key.red, key.green, key.blue, key.alpha});
    profile_.WriteCustomColours(colours, group);
    if (profile_.Save() == 0) return DeviceResult::Success();
    return DeviceResult::Failure(DeviceError::ProfileNotSaved,
                                 "The key colours were changed, but the profile " + profile_.GetPath() +
                                     " could not be saved");
}

std::optional<KeyIndex> CKeyboardConfigurator::KeyOfSlot(int slot) const {
    for (int key = 0; key < kKeyCount; ++key) {
        if (maps_.slots[static_cast<size_t>(key)] == slot) return static_cast<KeyIndex>(key);
    }
    return std::nullopt;
}

}  // namespace velnor7
