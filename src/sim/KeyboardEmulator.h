// Firmware of the F0E1:5004 RGB keyboard, emulated from the device's side of
// the command protocol for the simulated HID bus.
//
// Interface 0 is a plain boot keyboard and ignores everything written to it.
// Interface 1 carries the vendor command collection (report ID 4): every request
// is answered by one 64-byte reply echoing command, length and offset (bytes
// 3..6), with the status in byte 7, read data from byte 8 and the reply's own
// checksum in bytes 1..2. Status 0xFF: bad checksum; 0xFE: unknown command,
// chunk over 56 bytes, or a range not wholly inside the memory. Refused
// requests change nothing. Reports with other IDs are accepted and ignored. The
// consumer collection (report ID 3) carries the keyboard's notifications.
//
// Memories, addressed by the offset and length bytes of a request:
//   device information  34 bytes, read by 0x03 (layout: kInfo* constants)
//   parameters          256 bytes, read by 0x05, written by 0x06; byte 0 is the
//                       active profile, profile P's 26-byte light record sits at
//                       P x 25 (records overlap by one byte)
//   key map             512 bytes, read by 0x07, written by 0x09; slot s's
//                       3-byte KeyCode at 3s, factory codes in the first 378
//   LED map             126 bytes, read by 0x1B; the LED index of each slot,
//                       which is the slot number itself
//   macro memory        2048 bytes, written by 0x15
//   custom LED pages    8 pages of 512 bytes, written by 0x0B at page x 512 + n
//   streamed frame      512 bytes, written by 0x12, kept only for tests to look at
//   power status        6 bytes, read by 0x1A (layout: kPower* constants)
// 0x01/0x02 open and close a configuration transaction (writes are accepted
// outside one too) and 0xAA answers the link query with 0xFF in reply byte 8.
//
// With a state file, the parameters, key map, macro memory and LED pages
// survive the object, like flash: they are loaded at construction and saved
// after every request that changes them, so separate processes see one device.
// The file is a JSON object: {"version": 1, "parameters": "<hex>", "keyMap":
// "<hex>", "macros": "<hex>", "ledPages": "<hex>"}, two lowercase hex digits per
// byte. A file that is missing, unreadable, of another version or with any
// memory of the wrong size is ignored as a whole: the device starts from factory
// contents and overwrites the file at the first change.
#pragma once

#include "sim/CommandReplies.h"
#include "sim/VirtualHidDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace velnor7 {

// Everything the keyboard remembers, one byte vector per memory.
struct KeyboardEmulatorMemories {
    std::vector<uint8_t> info;
    std::vector<uint8_t> parameters;
    std::vector<uint8_t> keyMap;
    std::vector<uint8_t> ledMap;
    std::vector<uint8_t> macros;
    std::vector<uint8_t> ledPages;
    std::vector<uint8_t> streamedFrame;
    std::vector<uint8_t> powerStatus;
};

class KeyboardEmulator : public VirtualHidDevice {
public:
    using Frame = firmware::CommandFrame;

    static constexpr uint16_t kVendorId = 0xF0E1;
    static constexpr uint16_t kProductId = 0x5004;
    static constexpr uint16_t kFirmwareVersion = 0x0102;  // also USB bcdDevice
    static constexpr uint8_t kBootInterface = 0;
    static constexpr uint8_t kCommandInterface = 1;
    static constexpr uint8_t kNotificationReportId = 3;
    static constexpr uint8_t kCommandReportId = 4;

    static constexpr uint8_t kStatusOk = firmware::kCommandStatusOk;
    static constexpr uint8_t kStatusRejected = firmware::kCommandStatusRejected;  // unknown command or range
    static constexpr uint8_t kStatusBadChecksum = firmware::kCommandStatusBadChecksum;
    static constexpr size_t kMaxChunk = firmware::kMaxCommandChunk;

    static constexpr size_t kKeySlots = 126;
    static constexpr size_t kInfoSize = firmware::kDeviceInfoSize;
    static constexpr size_t kParameterSize = 256;
    static constexpr size_t kLightRecordStride = 25;
    static constexpr size_t kLightRecordSize = 26;
    static constexpr size_t kKeyMapSize = 512;
    static constexpr size_t kMacroUnits = 16;  // of 128 bytes
    static constexpr size_t kMacroSize = kMacroUnits * 128;
    static constexpr size_t kLedPageSize = 512;
    static constexpr size_t kLedPages = 8;
    static constexpr size_t kStreamFrameSize = 512;
    static constexpr size_t kPowerStatusSize = firmware::kPowerStatusBytes;

    // Device information bytes.
    static constexpr size_t kInfoDeviceKind = firmware::kDeviceInfoKind;  // 1 = keyboard
    static constexpr size_t kInfoProfileCount = 1;    // light records that fit the parameters
    static constexpr size_t kInfoLedPageCount = firmware::kDeviceInfoLedPageCount;
    static constexpr size_t kInfoLedCount = firmware::kDeviceInfoLedCount;
    static constexpr size_t kInfoKeySlots = firmware::kDeviceInfoKeySlots;  // K
    static constexpr size_t kInfoMacroUnits = firmware::kDeviceInfoMacroUnits;
    static constexpr size_t kInfoModelName = firmware::kDeviceInfoModelName;  // ASCII, NUL-padded to 16 bytes
    static constexpr size_t kInfoFirmwareVersion = firmware::kDeviceInfoFirmwareVersion;  // 16-bit, low byte first

    // Power status bytes.
    static constexpr size_t kPowerChargePercent = firmware::kPowerStatusCharge;
    static constexpr size_t kPowerChargingState = firmware::kPowerStatusChargingState;  // 0 on cable, 1 charging, 2 on battery
    static constexpr size_t kPowerWireless = firmware::kPowerStatusWireless;            // 0 wired, 1 wireless dongle

    // Factory light record of every profile (bytes 1..25; byte 0 belongs to the
    // previous record or is the active profile).
    static constexpr uint8_t kFactoryLightMode = 1;
    static constexpr uint8_t kFactoryBrightness = 5;
    static constexpr uint8_t kFactorySpeedByte = 2;   // the host's speed 2 of 0..4

    // stateFile empty: memories start with factory contents and die with the object.
    explicit KeyboardEmulator(std::string stateFile = {});

    uint16_t VendorId() const override;
    uint16_t ProductId() const override;
    uint16_t VersionNumber() const override;
    std::vector<VirtualHidInterface> Interfaces() const override;
    bool HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) override;
    // Beside the state file: the state file itself is replaced at every save.
    std::string OwnerFile() const override { return stateFile_.empty() ? std::string() : stateFile_ + ".lock"; }
    void Plugged(VirtualHidHostLink& link) override;
    void Unplugged() override;

    // Snapshots of the memories.
    std::vector<uint8_t> DeviceInfo() const;
    std::vector<uint8_t> ParameterMemory() const;
    std::vector<uint8_t> KeyMapMemory() const;
    std::vector<uint8_t> LedMap() const;
    std::vector<uint8_t> MacroMemory() const;
    std::vector<uint8_t> LedPage(int page) const;  // empty when page is not 0..kLedPages-1
    std::vector<uint8_t> LastStreamedFrame() const;
    std::vector<uint8_t> PowerStatus() const;
    bool InConfiguration() const;

    // The user changing settings on the keyboard itself (follow with
    // SendNotification(0x401)). False, and nothing changed, when the bytes do
    // not fit the parameter memory.
    bool SetParameterBytes(size_t offset, std::span<const uint8_t> bytes);
    // What the next power status reads return.
    void SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status);

    // Notifications on the consumer collection: report {3, code low, code high}.
    // False when the device is not plugged (or the slot does not exist).
    bool SendNotification(uint16_t code);
    bool PressKey(uint8_t slot);    // 0x500 + slot
    bool ReleaseKey(uint8_t slot);  // 0x600 + slot

    // Every output report received on interface 1, zero-padded or cut to 64 bytes.
    std::vector<Frame> ReceivedRequests() const;
    void ClearReceivedRequests();

    // Fault injection. Requests are counted over command-collection reports only;
    // requestNumber 1 is the very next one. Non-positive arguments are ignored.
    void InjectNoAnswer(int count = 1);     // no reply, not applied
    void InjectWrongEcho(int count = 1);    // reply echoes command ^ 0x80, applied
    void InjectStatus(uint8_t status, int requestNumber);  // this status, not applied
    void UnplugAtRequest(int requestNumber);  // RequestUnplug, no reply, not applied
    using Fault = firmware::CommandResponder::Fault;
    void InjectFault(Fault fault, int requestNumber);
    void ClearFaults();

private:
    // Both called with mutex_ held.
    Frame Execute(const Frame& request);
    void SaveState() const;

    const std::string stateFile_;
    mutable std::mutex mutex_;
    KeyboardEmulatorMemories memories_;
    bool inConfiguration_ = false;
    VirtualHidHostLink* link_ = nullptr;
    firmware::CommandResponder responder_{kCommandInterface, kCommandReportId};
};

}  // namespace velnor7
