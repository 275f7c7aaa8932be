// The 64-byte request/reply protocol that configures a device.
//
// Every request carries report ID 4, a checksum, the command, the chunk length
// and the offset; long transfers go in chunks of ChunkSize payload bytes. A
// reply is matched by its echoed command byte, and its status byte maps to the
// error results below. Three locks serialise callers: the command lock keeps the
// chunks of two commands apart, the light lock does the same for the lighting
// commands, and the transport lock admits one HID write or one read loop.
#pragma once

#include "common/Event.h"
#include "core/HidDevice.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace velnor7 {

// Results of every channel operation.
enum ChannelResult : int {
    kResultOk = 1,
    kResultNotOpenOrReadFailed = 0,
    kResultWriteFailed = -1,
    kResultStatusFF = -102,
    kResultStatusFE = -103,
    kResultBadBank = -201,
};

enum CommandCode : uint8_t {
    kCmdBeginConfig = 0x01,
    kCmdEndConfig = 0x02,
    kCmdReadDeviceInfo = 0x03,
    kCmdReadParameters = 0x05,
    kCmdWriteParameters = 0x06,
    kCmdReadKeyMap = 0x07,
    kCmdWriteKeyMap = 0x09,
    kCmdWriteLedFrame = 0x0B,
    kCmdStreamLedFrame = 0x12,
    kCmdWriteMacroData = 0x15,
    kCmdReadPowerStatus = 0x1A,
    kCmdReadKeyLedMap = 0x1B,
    kCmdQueryLink = 0xAA,
};

constexpr size_t kReportSize = 64;
constexpr uint8_t kCommandReportId = 4;
constexpr size_t kDeviceInfoSize = 34;
constexpr uint16_t kMaxDataSize = 512;

using Report = std::array<uint8_t, kReportSize>;

// Sum of bytes 3..63, stored little-endian in bytes 1 and 2.
void StoreChecksum(Report& request);

// How far a chunked operation got: the chunks the device acknowledged, and the
// chunks of the whole transfer. A failed operation stopped at chunk done + 1.
struct TransferProgress {
    size_t chunksDone = 0;
    size_t chunksTotal = 0;
};

class CDeviceCommandChannel {
public:
    CDeviceCommandChannel() = default;
    ~CDeviceCommandChannel();
    CDeviceCommandChannel(const CDeviceCommandChannel&) = delete;
    CDeviceCommandChannel& operator=(const CDeviceCommandChannel&) = delete;

    int Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 size_t* transferred);
    // One write and one read without echo check, trace or Busy; for light frames.
    int QuickExchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                      size_t* transferred);

    int SetDataSize(uint16_t size);  // 1, or 0 for sizes above 512
    uint16_t DataSize() const { return dataSize_; }
    bool IsOpen() const { return open_.load(); }

    // The chunked operations tell how far they got when given `progress`.
    int BeginConfig();
    int EndConfig();
    int ReadDeviceInfo(uint8_t* info, TransferProgress* progress = nullptr);  // kDeviceInfoSize bytes
    int ReadParameters(uint8_t* out, size_t length, uint16_t offset, TransferProgress* progress = nullptr);
    int WriteParameters(const uint8_t* data, size_t length, uint16_t offset, TransferProgress* progress = nullptr);
    int ReadKeyMap(uint8_t* out, TransferProgress* progress = nullptr);  // DataSize bytes
    int WriteKeyMap(const uint8_t* data, int bank, TransferProgress* progress = nullptr);
    int WriteLedFrame(const uint8_t* data, size_t length, int page, int pageSize, TransferProgress* progress = nullptr);
    int StreamLedFrame(const uint8_t* data, size_t length);
    int WriteMacroData(const uint8_t* data, size_t length, TransferProgress* progress = nullptr);
    int ReadPowerStatus(uint8_t* out, size_t length, uint16_t offset);
    int ReadKeyLedMap(uint8_t* out, TransferProgress* progress = nullptr);  // DataSize / 3 bytes
    bool QueryLink();

    CHidDevice& Transport() { return transport_; }
    // Held by whoever opens or closes the transport while others may use it.
    std::mutex& TransportLock() { return transportLock_; }

    // Set by discovery while the transport is open on a device.
    void SetOpen(bool open) { open_.store(open); }
    // Set while a lighting synchronisation drives this device's lights.
    bool Synced() const { return synced_.load(); }
    void SetSynced(bool synced) {
        if (synced_.exchange(synced) != synced && syncChanged_ != nullptr) syncChanged_->Set();
    }
    // Set whenever Synced changes (a thread that idles while synchronised waits on it).
    void NotifySyncChanges(Event* event) { syncChanged_ = event; }
    // Slow links wait 5 s per transfer and get no streamed light frames.
    bool SlowMode() const { return slowMode_.load(); }
    void SetSlowMode(bool slow) { slowMode_.store(slow); }
    // True while an Exchange is in progress on this channel.
    bool Busy() const { return busyExchanges_.load() > 0; }

    static constexpr uint8_t ChunkSize = 56;

private:
    enum class LockKind { Command, Light };
    enum class Direction { Read, Write };
    struct Transfer {
        uint8_t command;
        Direction direction;
        LockKind lock;
        uint8_t* readInto;         // reads
        const uint8_t* writeFrom;  // writes
        size_t total;
        uint32_t startOffset;
        bool streamed;             // StreamLedFrame: skip while busy or slow
    };

    int Chunked(const Transfer& transfer, TransferProgress* progress = nullptr);
    int Single(uint8_t command, uint8_t length, uint16_t offset, Report& reply);
    int TransportTimeoutMs() const;
    int WriteReport(const Report& request, int timeoutMs);
    // Reads until a reply of our collection arrives; 1, or 0 on failure.
    int ReadReport(Report& reply, int timeoutMs, size_t* transferred);

    CHidDevice transport_;
    std::mutex transportLock_;
    std::mutex commandLock_;
    std::mutex lightLock_;
    uint16_t dataSize_ = kMaxDataSize;
    std::atomic<int> busyExchanges_{0};
    std::atomic<bool> open_{false};
    std::atomic<bool> synced_{false};
    Event* syncChanged_ = nullptr;  // set before the threads start
    std::atomic<bool> slowMode_{false};
};

}  // namespace velnor7
