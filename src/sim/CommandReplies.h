// The device's side of the 64-byte command channel, shared by the emulated
// firmwares: frame layout, checksum, replies, the commands every device answers
// the same way, and the command interface's request handling with its
// injectable faults.
//
// A request carries the report ID in byte 0, its checksum in bytes 1..2 (the
// 16-bit sum of bytes 3..63, low byte first), the command in byte 3, the chunk
// length in byte 4, the offset in bytes 5..6 (low byte first) and the payload
// from byte 8. A reply echoes bytes 3..6, puts the status in byte 7 and read
// data from byte 8, and carries its own checksum in bytes 1..2.
#pragma once

#include "sim/VirtualHidDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <vector>

// The firmware's own names, kept apart from the host's names for the same things.
namespace velnor7::firmware {

using CommandFrame = std::array<uint8_t, 64>;

inline constexpr size_t kFrameChecksumLow = 1;
inline constexpr size_t kFrameChecksumHigh = 2;
inline constexpr size_t kFrameCommand = 3;
inline constexpr size_t kFrameLength = 4;
inline constexpr size_t kFrameOffsetLow = 5;
inline constexpr size_t kFrameOffsetHigh = 6;
inline constexpr size_t kFrameStatus = 7;
inline constexpr size_t kFramePayload = 8;

inline constexpr size_t kMaxCommandChunk = 56;

inline constexpr uint8_t kCommandStatusOk = 0x00;
inline constexpr uint8_t kCommandStatusRejected = 0xFE;     // unknown command, chunk or range
inline constexpr uint8_t kCommandStatusBadChecksum = 0xFF;

inline constexpr uint8_t kCommandBeginConfig = 0x01;
inline constexpr uint8_t kCommandEndConfig = 0x02;
inline constexpr uint8_t kCommandReadDeviceInfo = 0x03;
inline constexpr uint8_t kCommandReadParameters = 0x05;
inline constexpr uint8_t kCommandWriteParameters = 0x06;
inline constexpr uint8_t kCommandReadKeyMap = 0x07;
inline constexpr uint8_t kCommandWriteKeyMap = 0x09;
inline constexpr uint8_t kCommandWriteLedPage = 0x0B;
inline constexpr uint8_t kCommandStreamLedFrame = 0x12;
inline constexpr uint8_t kCommandWriteMacros = 0x15;
inline constexpr uint8_t kCommandReadPowerStatus = 0x1A;
inline constexpr uint8_t kCommandReadKeyLedMap = 0x1B;
inline constexpr uint8_t kCommandQueryLink = 0xAA;
inline constexpr uint8_t kLinkUp = 0xFF;  // reply byte 8 of a link query

// The 34-byte device information block as the emulated firmwares fill it.
inline constexpr size_t kDeviceInfoSize = 34;
inline constexpr size_t kDeviceInfoKind = 0;         // 1 keyboard, 2 mouse, 3 mouse pad, ...
inline constexpr size_t kDeviceInfoLedPageCount = 2;
inline constexpr size_t kDeviceInfoLedCount = 4;
inline constexpr size_t kDeviceInfoKeySlots = 5;     // keys, three key-map bytes each
inline constexpr size_t kDeviceInfoMacroUnits = 6;   // macro memory in units of 128 bytes
inline constexpr size_t kDeviceInfoModelName = 8;    // ASCII, NUL-padded to 16 bytes
inline constexpr size_t kDeviceInfoModelNameSize = 16;
inline constexpr size_t kDeviceInfoFirmwareVersion = 32;  // 16-bit, low byte first

// The 6-byte power status.
inline constexpr size_t kPowerStatusBytes = 6;
inline constexpr size_t kPowerStatusCharge = 0;         // percent
inline constexpr size_t kPowerStatusChargingState = 1;  // 0 on cable, 1 charging, 2 on battery
inline constexpr size_t kPowerStatusWireless = 3;       // 0 wired, 1 wireless dongle
inline constexpr size_t kPowerStatusPhone = 5;          // mouse pad: 1 iPhone, 2 Samsung, 3 other

// Command, length and offset of a request.
struct CommandFields {
    uint8_t command = 0;
    size_t length = 0;
    size_t offset = 0;
};

CommandFields FieldsOf(const CommandFrame& frame);
bool ChecksumMatches(const CommandFrame& request);
void StampChecksum(CommandFrame& frame);

// A reply carrying the request's command, length and offset and the given
// status; no checksum yet.
CommandFrame ReplyTo(const CommandFrame& request, uint8_t reportId, uint8_t status);

// The refusal of a request that no command accepts: 0xFF for a bad checksum,
// 0xFE for a chunk over kMaxCommandChunk. Nothing for a well-formed request.
std::optional<CommandFrame> RefuseMalformed(const CommandFrame& request, uint8_t reportId);

// The answer to begin/end configuration and the link query; nothing for other commands.
std::optional<CommandFrame> AnswerControlCommand(const CommandFrame& request, uint8_t reportId,
                                                 bool& inConfiguration);

// Reads the request's range of memory into the reply, or writes the payload
// there; 0xFE, and nothing touched, when the range is not wholly inside the
// memory. `changed` tells whether a write altered the memory.
CommandFrame ServeMemory(const CommandFrame& request, uint8_t reportId, std::vector<uint8_t>& memory, bool writes,
                         bool& changed);

// Copies bytes into memory at offset; true when that changed the memory. The
// caller has checked that the bytes fit.
bool Overwrite(std::vector<uint8_t>& memory, size_t offset, std::span<const uint8_t> bytes);

// What a command interface does with the output reports written to it: keeps
// every one, counts those carrying the command report ID, applies the injected
// faults and sends the replies. It has no lock of its own: its owner calls every
// member with its own lock held.
class CommandResponder {
public:
    static constexpr uint8_t kWrongEchoFlip = 0x80;

    // What HandleOutputReport does after releasing its lock: call
    // unplug->RequestUnplug() when set (the bus may call Unplugged() from inside
    // it), then return accepted.
    struct Outcome {
        bool accepted = true;
        VirtualHidHostLink* unplug = nullptr;
    };
    using Executor = std::function<CommandFrame(const CommandFrame&)>;

    CommandResponder(uint8_t interfaceNumber, uint8_t reportId);

    // One output report written to the command interface. `link` is the owner's
    // link to the host; an injected unplug clears it. Requests are zero-padded
    // or cut to 64 bytes; only those with the command report ID are answered,
    // by execute(request) unless a fault says otherwise.
    Outcome Handle(std::span<const uint8_t> report, VirtualHidHostLink*& link, const Executor& execute);

    const std::vector<CommandFrame>& ReceivedRequests() const { return receivedRequests_; }
    void ClearReceivedRequests() { receivedRequests_.clear(); }

    // Requests are counted over command reports only; requestNumber 1 is the
    // very next one. Non-positive arguments are ignored.
    void InjectNoAnswer(int count);     // no reply, not applied
    void InjectWrongEcho(int count);    // reply echoes command ^ 0x80, applied
    void InjectStatus(uint8_t status, int requestNumber);  // this status, not applied
    void UnplugAtRequest(int requestNumber);  // RequestUnplug, no reply, not applied
    // The same faults, each at one request number (table-driven tests).
    enum class Fault { NoAnswer, WrongEcho, StatusRejected, StatusBadChecksum, Unplug };
    void InjectFault(Fault fault, int requestNumber);
    // Forgets every fault not yet met.
    void ClearFaults();

private:
    const uint8_t interfaceNumber_;
    const uint8_t reportId_;
    std::vector<CommandFrame> receivedRequests_;
    uint64_t commandRequestsSeen_ = 0;
    uint64_t noAnswersLeft_ = 0;
    uint64_t wrongEchoesLeft_ = 0;
    std::map<uint64_t, uint8_t> injectedStatuses_;  // request number -> status
    std::set<uint64_t> silentRequests_;             // request numbers left without a reply
    std::set<uint64_t> wrongEchoRequests_;
    std::optional<uint64_t> unplugAtRequest_;
};

}  // namespace velnor7::firmware
