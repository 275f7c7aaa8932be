#include "keyboard/KeySlotMemory.h"

#include "common/JsonFile.h"

#include <algorithm>
#include <bitset>

namespace velnor7 {

namespace {

// Model names are the keyboard's own ASCII; anything else becomes '_' in the file name.
std::string FileStem(const std::string& modelName, int slotCount) {
    std::string stem = "KeySlots-";
    for (const char c : modelName) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        stem += plain ? c : '_';
    }
    return stem + "-" + std::to_string(slotCount);
}

}  // namespace

KeyMaps IdentifyKeySlots(std::span<const uint8_t> rawKeyMap, std::span<const uint8_t> rawLedMap, int slotCount,
                         const RememberedSlots& remembered) {
    const size_t keySlots = std::min(static_cast<size_t>(std::clamp(slotCount, 0, static_cast<int>(kAbsentKey))),
                                     rawKeyMap.size() / 3);
    KeySlotMap confirmed;
    confirmed.fill(kAbsentKey);
    std::bitset<kAbsentKey> taken;
    for (size_t key = 0; key < kKeyCount; ++key) {
        const std::optional<RememberedSlot>& known = remembered[key];
        if (!known || known->slot >= keySlots || taken.test(known->slot)) continue;
        const uint8_t led = known->slot < rawLedMap.size() ? rawLedMap[known->slot] : kAbsentKey;
        if (led != known->led) continue;
        confirmed[key] = known->slot;
        taken.set(known->slot);
    }
    return BuildKeyMapsAround(rawKeyMap, rawLedMap, slotCount, confirmed);
}

RememberedSlots SlotsToRemember(const KeyMaps& maps, std::span<const uint8_t> rawLedMap) {
    RememberedSlots slots;
    for (size_t key = 0; key < kKeyCount; ++key) {
        const uint8_t slot = maps.slots[key];
        if (slot == kAbsentKey) continue;
        slots[key] = RememberedSlot{slot, slot < rawLedMap.size() ? rawLedMap[slot] : kAbsentKey};
    }
    return slots;
}

KeySlotMemory::KeySlotMemory(std::filesystem::path folder, const std::string& modelName, int slotCount)
    : file_(folder / (FileStem(modelName, slotCount) + ".json")), slotCount_(slotCount) {}

RememberedSlots KeySlotMemory::Load() const {
    RememberedSlots slots;
    const Json::Value document = LoadJsonFile(file_.string());
    if (!document.isObject() || document["SlotCount"] != slotCount_ || !document["Keys"].isArray()) return slots;
    for (const Json::Value& entry : document["Keys"]) {
        if (!entry.isObject()) continue;
        const Json::Value& key = entry["Key"];
        const Json::Value& slot = entry["Slot"];
        const Json::Value& led = entry["Led"];
        const auto fits = [](const Json::Value& value, int limit) {
            return value.isIntegral() && value.asInt64() >= 0 && value.asInt64() < limit;
        };
        if (!fits(key, kKeyCount) || !fits(slot, kAbsentKey) || !fits(led, kAbsentKey + 1)) continue;
        slots[key.asUInt()] = RememberedSlot{static_cast<uint8_t>(slot.asUInt()), static_cast<uint8_t>(led.asUInt())};
    }
    return slots;
}

bool KeySlotMemory::Save(const RememberedSlots& slots, std::string& reason) const {
    if (Load() == slots) return true;
    Json::Value document(Json::objectValue);
    document["SlotCount"] = slotCount_;
    Json::Value& keys = document["Keys"] = Json::Value(Json::arrayValue);
    for (size_t key = 0; key < kKeyCount; ++key) {
        if (!slots[key]) continue;
        Json::Value entry;
        entry["Key"] = static_cast<int>(key);
        entry["Slot"] = slots[key]->slot;
        entry["Led"] = slots[key]->led;
        keys.append(entry);
    }
    const JsonFileWrite written = WriteJsonFile(file_.string(), document);
    if (!written.ok) reason = "the key slots of this keyboard cannot be kept in " + file_.string() + ": " + written.reason;
    return written.ok;
}

}  // namespace velnor7
