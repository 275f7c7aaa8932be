#include "sim/KeyboardEmulator.h"

#include "common/JsonFile.h"
#include "sim/KeyboardEmulatorData.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace velnor7 {
namespace {

using namespace firmware;

using Memories = KeyboardEmulatorMemories;
using Frame = KeyboardEmulator::Frame;

// Commands that move bytes between a frame and one memory.
struct MemoryCommand {
    uint8_t code;
    bool writes;
    std::vector<uint8_t> Memories::*memory;
};

constexpr MemoryCommand kMemoryCommands[] = {
    {kCommandReadDeviceInfo, false, &Memories::info},
    {kCommandReadParameters, false, &Memories::parameters},
    {kCommandWriteParameters, true, &Memories::parameters},
    {kCommandReadKeyMap, false, &Memories::keyMap},
    {kCommandWriteKeyMap, true, &Memories::keyMap},
    {kCommandWriteLedPage, true, &Memories::ledPages},
    {kCommandStreamLedFrame, true, &Memories::streamedFrame},
    {kCommandWriteMacros, true, &Memories::macros},
    {kCommandReadPowerStatus, false, &Memories::powerStatus},
    {kCommandReadKeyLedMap, false, &Memories::ledMap},
};

// The memories that survive a power cycle, with their state file keys.
struct PersistentMemory {
    const char* key;
    std::vector<uint8_t> Memories::*memory;
};

constexpr PersistentMemory kPersistentMemories[] = {
    {"parameters", &Memories::parameters},
    {"keyMap", &Memories::keyMap},
    {"macros", &Memories::macros},
    {"ledPages", &Memories::ledPages},
};

constexpr int kStateFormatVersion = 1;
constexpr char kModelName[] = "VELNOR7 K5004";

bool IsPersistent(std::vector<uint8_t> Memories::*memory) {
    return std::any_of(std::begin(kPersistentMemories), std::end(kPersistentMemories),
                       [memory](const PersistentMemory& persistent) { return persistent.memory == memory; });
}

Memories FactoryMemories() {
    Memories m;

    m.info.assign(KeyboardEmulator::kInfoSize, 0);
    m.info[KeyboardEmulator::kInfoDeviceKind] = 1;
    m.info[KeyboardEmulator::kInfoProfileCount] = static_cast<uint8_t>(
        (KeyboardEmulator::kParameterSize - KeyboardEmulator::kLightRecordSize) /
            KeyboardEmulator::kLightRecordStride + 1);
    m.info[KeyboardEmulator::kInfoLedPageCount] = KeyboardEmulator::kLedPages;
    m.info[KeyboardEmulator::kInfoLedCount] = KeyboardEmulator::kKeySlots;
    m.info[KeyboardEmulator::kInfoKeySlots] = KeyboardEmulator::kKeySlots;
    m.info[KeyboardEmulator::kInfoMacroUnits] = KeyboardEmulator::kMacroUnits;
    std::memcpy(&m.info[KeyboardEmulator::kInfoModelName], kModelName, sizeof kModelName - 1);
    m.info[KeyboardEmulator::kInfoFirmwareVersion] = KeyboardEmulator::kFirmwareVersion & 0xFF;
    m.info[KeyboardEmulator::kInfoFirmwareVersion + 1] = KeyboardEmulator::kFirmwareVersion >> 8;

    // Every profile starts with the same light record; byte 0 of each record is
    // the last byte of the one before (or the active profile, 0).
    m.parameters.assign(KeyboardEmulator::kParameterSize, 0);
    const uint8_t profiles = m.info[KeyboardEmulator::kInfoProfileCount];
    for (size_t profile = 0; profile < profiles; ++profile) {
        uint8_t* record = &m.parameters[profile * KeyboardEmulator::kLightRecordStride];
        record[1] = KeyboardEmulator::kFactoryLightMode;
        record[2] = KeyboardEmulator::kFactoryBrightness;
        record[3] = KeyboardEmulator::kFactorySpeedByte;
        record[5] = 1;                                 // multicolour
        record[6] = record[7] = record[8] = 0xFF;      // white
    }

    m.keyMap.assign(KeyboardEmulator::kKeyMapSize, 0);
    std::copy(kEmulatedFactoryKeyCodes.begin(), kEmulatedFactoryKeyCodes.end(), m.keyMap.begin());

    // One LED under every key, numbered like the slots.
    m.ledMap.resize(KeyboardEmulator::kKeySlots);
    for (size_t slot = 0; slot < m.ledMap.size(); ++slot) m.ledMap[slot] = static_cast<uint8_t>(slot);

    m.macros.assign(KeyboardEmulator::kMacroSize, 0);
    m.ledPages.assign(KeyboardEmulator::kLedPages * KeyboardEmulator::kLedPageSize, 0);
    m.streamedFrame.assign(KeyboardEmulator::kStreamFrameSize, 0);

    m.powerStatus.assign(KeyboardEmulator::kPowerStatusSize, 0);
    m.powerStatus[KeyboardEmulator::kPowerChargePercent] = 100;
    return m;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of a hex string of exactly `size` bytes, or nothing.
std::optional<std::vector<uint8_t>> FromHex(const Json::Value& value, size_t size) {
    if (!value.isString()) return std::nullopt;
    const std::string text = value.asString();
    if (text.size() != size * 2) return std::nullopt;
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return bytes;
}

// Replaces the persistent memories with the state file's, all or none.
void LoadState(const std::string& path, Memories& memories) {
    const Json::Value root = LoadJsonFile(path);
    if (!root.isObject() || root.get("version", Json::Value()) != kStateFormatVersion) return;
    std::vector<std::vector<uint8_t>> loaded;
    for (const PersistentMemory& persistent : kPersistentMemories) {
        auto bytes = FromHex(root.get(persistent.key, Json::Value()), (memories.*persistent.memory).size());
        if (!bytes) return;
        loaded.push_back(std::move(*bytes));
    }
    for (size_t i = 0; i < loaded.size(); ++i) memories.*kPersistentMemories[i].memory = std::move(loaded[i]);
}

}  // namespace

KeyboardEmulator::KeyboardEmulator(std::string stateFile)
    : stateFile_(std::move(stateFile)), memories_(FactoryMemories()) {
    if (!stateFile_.empty()) LoadState(stateFile_, memories_);
}

uint16_t KeyboardEmulator::VendorId() const { return kVendorId; }
uint16_t KeyboardEmulator::ProductId() const { return kProductId; }
uint16_t KeyboardEmulator::VersionNumber() const { return kFirmwareVersion; }

std::vector<VirtualHidInterface> KeyboardEmulator::Interfaces() const {
    return {{kBootInterface, EmulatedBootKeyboardDescriptor()},
            {kCommandInterface, EmulatedCommandInterfaceDescriptor()}};
}

bool KeyboardEmulator::HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) {
    if (interfaceNumber != kCommandInterface) return true;

    CommandResponder::Outcome outcome;
    {
        std::lock_guard lock(mutex_);
        outcome = responder_.Handle(report, link_, [this](const Frame& request) { return Execute(request); });
    }
    // Outside the lock: the bus may call Unplugged() from inside RequestUnplug().
    if (outcome.unplug != nullptr) outcome.unplug->RequestUnplug();
    return outcome.accepted;
}

KeyboardEmulator::Frame KeyboardEmulator::Execute(const Frame& request) {
    if (auto refused = RefuseMalformed(request, kCommandReportId)) return *refused;
    if (auto answered = AnswerControlCommand(request, kCommandReportId, inConfiguration_)) return *answered;

    const uint8_t command = request[kFrameCommand];
    const auto* found = std::find_if(std::begin(kMemoryCommands), std::end(kMemoryCommands),
                                     [command](const MemoryCommand& c) { return c.code == command; });
    if (found == std::end(kMemoryCommands)) return ReplyTo(request, kCommandReportId, kStatusRejected);

    bool changed = false;
    const Frame reply = ServeMemory(request, kCommandReportId, memories_.*found->memory, found->writes, changed);
    if (changed && IsPersistent(found->memory)) SaveState();
    return reply;
}

void KeyboardEmulator::SaveState() const {
    if (stateFile_.empty()) return;
    Json::Value root(Json::objectValue);
    root["version"] = kStateFormatVersion;
    for (const PersistentMemory& persistent : kPersistentMemories)
        root[persistent.key] = ToHex(memories_.*persistent.memory);
    // A failed save leaves the previous file whole; the device keeps working from RAM.
    wirtejsonFile(stateFile_, root);
}

void KeyboardEmulator::Plugged(VirtualHidHostLink& link) {
    std::lock_guard lock(mutex_);
    link_ = &link;
    inConfiguration_ = false;  // a fresh power-up
}

void KeyboardEmulator::Unplugged() {
    std::lock_guard lock(mutex_);
    link_ = nullptr;
}

std::vector<uint8_t> KeyboardEmulator::DeviceInfo() const {
    std::lock_guard lock(mutex_);
    return memories_.info;
}

std::vector<uint8_t> KeyboardEmulator::ParameterMemory() const {
    std::lock_guard lock(mutex_);
    return memories_.parameters;
}

std::vector<uint8_t> KeyboardEmulator::KeyMapMemory() const {
    std::lock_guard lock(mutex_);
    return memories_.keyMap;
}

std::vector<uint8_t> KeyboardEmulator::LedMap() const {
    std::lock_guard lock(mutex_);
    return memories_.ledMap;
}

std::vector<uint8_t> KeyboardEmulator::MacroMemory() const {
    std::lock_guard lock(mutex_);
    return memories_.macros;
}

std::vector<uint8_t> KeyboardEmulator::LedPage(int page) const {
    if (page < 0 || static_cast<size_t>(page) >= kLedPages) return {};
    std::lock_guard lock(mutex_);
    const auto first = memories_.ledPages.begin() + static_cast<std::ptrdiff_t>(page * kLedPageSize);
    return {first, first + kLedPageSize};
}

std::vector<uint8_t> KeyboardEmulator::LastStreamedFrame() const {
    std::lock_guard lock(mutex_);
    return memories_.streamedFrame;
}

std::vector<uint8_t> KeyboardEmulator::PowerStatus() const {
    std::lock_guard lock(mutex_);
    return memories_.powerStatus;
}

bool KeyboardEmulator::InConfiguration() const {
    std::lock_guard lock(mutex_);
    return inConfiguration_;
}

bool KeyboardEmulator::SetParameterBytes(size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& parameters = memories_.parameters;
    if (offset > parameters.size() || bytes.size() > parameters.size() - offset) return false;
    if (Overwrite(parameters, offset, bytes)) SaveState();
    return true;
}

void KeyboardEmulator::SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status) {
    std::lock_guard lock(mutex_);
    memories_.powerStatus.assign(status.begin(), status.end());
}

bool KeyboardEmulator::SendNotification(uint16_t code) {
    const std::array<uint8_t, 3> report{kNotificationReportId, static_cast<uint8_t>(code & 0xFF),
                                        static_cast<uint8_t>(code >> 8)};
    std::lock_guard lock(mutex_);
    if (link_ == nullptr) return false;
    link_->SendInputReport(kCommandInterface, report);
    return true;
}

bool KeyboardEmulator::PressKey(uint8_t slot) {
    return slot < kKeySlots && SendNotification(static_cast<uint16_t>(0x500 + slot));
}

bool KeyboardEmulator::ReleaseKey(uint8_t slot) {
    return slot < kKeySlots && SendNotification(static_cast<uint16_t>(0x600 + slot));
}

std::vector<KeyboardEmulator::Frame> KeyboardEmulator::ReceivedRequests() const {
    std::lock_guard lock(mutex_);
    return responder_.ReceivedRequests();
}

void KeyboardEmulator::ClearReceivedRequests() {
    std::lock_guard lock(mutex_);
    responder_.ClearReceivedRequests();
}

void KeyboardEmulator::InjectNoAnswer(int count) {
    std::lock_guard lock(mutex_);
    responder_.InjectNoAnswer(count);
}

void KeyboardEmulator::InjectWrongEcho(int count) {
    std::lock_guard lock(mutex_);
    responder_.InjectWrongEcho(count);
}

void KeyboardEmulator::InjectStatus(uint8_t status, int requestNumber) {
    std::lock_guard lock(mutex_);
    responder_.InjectStatus(status, requestNumber);
}

void KeyboardEmulator::UnplugAtRequest(int requestNumber) {
    std::lock_guard lock(mutex_);
    responder_.UnplugAtRequest(requestNumber);
}

void KeyboardEmulator::InjectFault(Fault fault, int requestNumber) {
    std::lock_guard lock(mutex_);
    responder_.InjectFault(fault, requestNumber);
}

void KeyboardEmulator::ClearFaults() {
    std::lock_guard lock(mutex_);
    responder_.ClearFaults();
}

}  // namespace velnor7
