#include "core/DeviceCommandChannel.h"

#include "common/Trace.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace velnor7 {
namespace {

constexpr int kTimeoutMs = 1000;
constexpr int kSlowTimeoutMs = 5000;
constexpr uint8_t kStatusFF = 0xFF;
constexpr uint8_t kStatusFE = 0xFE;
constexpr size_t kHeaderSize = 8;
constexpr uint32_t kOffsetLimit = 0x10000;

class BusyWhile {
public:
    explicit BusyWhile(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
    ~BusyWhile() { count_.fetch_sub(1); }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;

private:
    std::atomic<int>& count_;
};

void TraceReport(const char* title, const Report& report) {
    if (!TraceEnabled()) return;
    Trace("%s", title);
    Trace("%s", HexDumpLine(report.data(), 32).c_str());
    Trace("%s", HexDumpLine(report.data() + 32, 32).c_str());
}

int StatusResult(const Report& reply) {
    if (reply[7] == kStatusFF) return kResultStatusFF;
    if (reply[7] == kStatusFE) return kResultStatusFE;
    return kResultOk;
}

void FillHeader(Report& request, uint8_t command, size_t length, uint32_t offset) {
    request[0] = kCommandReportId;
    request[3] = command;
    request[4] = static_cast<uint8_t>(length);
    request[5] = static_cast<uint8_t>(offset & 0xFF);
    request[6] = static_cast<uint8_t>((offset >> 8) & 0xFF);
    request[7] = 0;
}

}  // namespace

void StoreChecksum(Report& request) {
    uint16_t sum = 0;
    for (size_t i = 3; i < kReportSize; ++i) sum = static_cast<uint16_t>(sum + request[i]);
    request[1] = static_cast<uint8_t>(sum & 0xFF);
    request[2] = static_cast<uint8_t>(sum >> 8);
}

CDeviceCommandChannel::~CDeviceCommandChannel() {
    open_.store(false);
    transport_.Close();
}

int CDeviceCommandChannel::TransportTimeoutMs() const { return slowMode_.load() ? kSlowTimeoutMs : kTimeoutMs; }

int CDeviceCommandChannel::WriteReport(const Report& request, int timeoutMs) {
    std::lock_guard lock(transportLock_);
    return transport_.Write(request.data(), request.size(), timeoutMs, nullptr);
}

int CDeviceCommandChannel::ReadReport(Report& reply, int timeoutMs, size_t* transferred) {
    size_t received = 0;
    const int result = transport_.Read(reply.data(), reply.size(), timeoutMs, &received);
    if (transferred != nullptr) *transferred = received;
    // A reply without the whole frame has no trustworthy status or data.
    return result == 1 && received == kReportSize ? 1 : 0;
}

int CDeviceCommandChannel::Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                    size_t replyLength, size_t* transferred) {
    BusyWhile busy(busyExchanges_);
    if (transferred != nullptr) *transferred = 0;
    if (!open_.load()) return kResultNotOpenOrReadFailed;

    Report out{};
    std::memcpy(out.data(), request, std::min(requestLength, kReportSize));
    TraceReport("命令", out);

    const int timeoutMs = TransportTimeoutMs();
    Report in{};
    int result = kResultWriteFailed;
    if (WriteReport(out, timeoutMs) == 1) {
        std::lock_guard lock(transportLock_);
        result = ReadReport(in, timeoutMs, transferred);
        // A light frame may have slipped in between; its reply comes first.
        if (result == 1 && in[3] != out[3]) result = ReadReport(in, timeoutMs, transferred);
        // Still another command's reply: its status and data are not ours to take.
        if (result == 1 && in[3] != out[3]) {
            result = kResultNotOpenOrReadFailed;
            in.fill(0);
        }
    }
    if (reply != nullptr) std::memcpy(reply, in.data(), std::min(replyLength, kReportSize));
    TraceReport("返回", in);
    return result;
}

int CDeviceCommandChannel::QuickExchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                         size_t replyLength, size_t* transferred) {
    if (transferred != nullptr) *transferred = 0;
    if (!open_.load()) return kResultNotOpenOrReadFailed;
    Report out{};
    std::memcpy(out.data(), request, std::min(requestLength, kReportSize));
    if (WriteReport(out, kTimeoutMs) != 1) return kResultWriteFailed;
    Report in{};
    int result;
    {
        std::lock_guard lock(transportLock_);
        result = ReadReport(in, kTimeoutMs, transferred);
    }
    if (reply != nullptr) std::memcpy(reply, in.data(), std::min(replyLength, kReportSize));
    return result;
}

int CDeviceCommandChannel::SetDataSize(uint16_t size) {
    if (size > kMaxDataSize) return 0;
    dataSize_ = size;
    return 1;
}

int CDeviceCommandChannel::Chunked(const Transfer& transfer, TransferProgress* progress) {
    TransferProgress local;
    TransferProgress& reached = progress != nullptr ? *progress : local;
    reached = TransferProgress{0, (transfer.total + ChunkSize - 1) / ChunkSize};
    if (transfer.startOffset + transfer.total > kOffsetLimit) {
        // A 16-bit offset would wrap and land the data somewhere else in the device.
        Trace("command %02x: %zu bytes at offset %u do not fit the device's address space", transfer.command,
              transfer.total, transfer.startOffset);
        return kResultNotOpenOrReadFailed;
    }
    std::mutex& lock = transfer.lock == LockKind::Light ? lightLock_ : commandLock_;
    Report request{};
    size_t done = 0;
    while (done < transfer.total) {
        const size_t chunk = done + ChunkSize < transfer.total ? ChunkSize : transfer.total - done;
        FillHeader(request, transfer.command, chunk, transfer.startOffset + static_cast<uint32_t>(done));
        if (transfer.direction == Direction::Write) std::memcpy(&request[kHeaderSize], transfer.writeFrom + done, chunk);
        StoreChecksum(request);

        Report reply{};
        int result;
        bool sent = true;
        if (transfer.streamed && Busy()) {
            Trace("放弃灯光数据");
            result = kResultOk;
            sent = false;
        } else if (transfer.streamed && slowMode_.load()) {
            result = kResultOk;
            sent = false;
        } else {
            std::lock_guard guard(lock);
            result = transfer.streamed ? QuickExchange(request.data(), request.size(), reply.data(), reply.size(), nullptr)
                                       : Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
        }
        if (result != kResultOk) return result;
        if (sent && StatusResult(reply) != kResultOk) return StatusResult(reply);
        if (transfer.direction == Direction::Read) std::memcpy(transfer.readInto + done, &reply[kHeaderSize], chunk);
        ++reached.chunksDone;
        done += ChunkSize;
    }
    return kResultOk;
}

int CDeviceCommandChannel::Single(uint8_t command, uint8_t length, uint16_t offset, Report& reply) {
    Report request{};
    FillHeader(request, command, length, offset);
    StoreChecksum(request);
    int result;
    {
        std::lock_guard guard(commandLock_);
        result = Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    return result == kResultOk ? StatusResult(reply) : result;
}

int CDeviceCommandChannel::BeginConfig() {
    Report reply{};
    return Single(kCmdBeginConfig, 0, 0, reply);
}

int CDeviceCommandChannel::EndConfig() {
    // The device needs a moment after the last write before it leaves configuration.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Report reply{};
    return Single(kCmdEndConfig, 0, 0, reply);
}

int CDeviceCommandChannel::ReadDeviceInfo(uint8_t* info, TransferProgress* progress) {
    return Chunked({kCmdReadDeviceInfo, Direction::Read, LockKind::Command, info, nullptr, kDeviceInfoSize, 0, false},
                   progress);
}

int CDeviceCommandChannel::ReadParameters(uint8_t* out, size_t length, uint16_t offset, TransferProgress* progress) {
    return Chunked({kCmdReadParameters, Direction::Read, LockKind::Command, out, nullptr, length, offset, false},
                   progress);
}

int CDeviceCommandChannel::WriteParameters(const uint8_t* data, size_t length, uint16_t offset,
                                           TransferProgress* progress) {
    return Chunked({kCmdWriteParameters, Direction::Write, LockKind::Command, nullptr, data, length, offset, false},
                   progress);
}

int CDeviceCommandChannel::ReadKeyMap(uint8_t* out, TransferProgress* progress) {
    return Chunked({kCmdReadKeyMap, Direction::Read, LockKind::Command, out, nullptr, dataSize_, 0, false}, progress);
}

int CDeviceCommandChannel::WriteKeyMap(const uint8_t* data, int bank, TransferProgress* progress) {
    if (progress != nullptr) *progress = TransferProgress{};
    if (bank != 0) return kResultBadBank;
    return Chunked({kCmdWriteKeyMap, Direction::Write, LockKind::Command, nullptr, data, dataSize_, 0, false},
                   progress);
}

int CDeviceCommandChannel::WriteLedFrame(const uint8_t* data, size_t length, int page, int pageSize,
                                         TransferProgress* progress) {
    if (progress != nullptr) *progress = TransferProgress{};
    const long long start = static_cast<long long>(page) * pageSize;
    if (page < 0 || pageSize < 0 || start >= kOffsetLimit) {
        Trace("WriteLedFrame: page %d of %d bytes is outside the device", page, pageSize);
        return kResultNotOpenOrReadFailed;
    }
    return Chunked({kCmdWriteLedFrame, Direction::Write, LockKind::Light, nullptr, data, length,
                    static_cast<uint32_t>(start), false},
                   progress);
}

int CDeviceCommandChannel::StreamLedFrame(const uint8_t* data, size_t length) {
    return Chunked({kCmdStreamLedFrame, Direction::Write, LockKind::Light, nullptr, data, length, 0, true});
}

int CDeviceCommandChannel::WriteMacroData(const uint8_t* data, size_t length, TransferProgress* progress) {
    return Chunked({kCmdWriteMacroData, Direction::Write, LockKind::Command, nullptr, data, length, 0, false},
                   progress);
}

int CDeviceCommandChannel::ReadPowerStatus(uint8_t* out, size_t length, uint16_t offset) {
    if (length > ChunkSize) return kResultNotOpenOrReadFailed;
    Report reply{};
    const int result = Single(kCmdReadPowerStatus, static_cast<uint8_t>(length), offset, reply);
    if (result == kResultOk) std::memcpy(out, &reply[kHeaderSize], length);
    return result;
}

int CDeviceCommandChannel::ReadKeyLedMap(uint8_t* out, TransferProgress* progress) {
    return Chunked({kCmdReadKeyLedMap, Direction::Read, LockKind::Command, out, nullptr,
                    static_cast<size_t>(dataSize_ / 3), 0, false},
                   progress);
}

bool CDeviceCommandChannel::QueryLink() {
    Report reply{};
    return Single(kCmdQueryLink, 0, 0, reply) == kResultOk && reply[8] == 0xFF;
}

}  // namespace velnor7
