// Firmware of a lit device without keys (a mouse pad, a light bar, ...),
// emulated from the device's side of the command protocol for the simulated
// HID bus.
//
// The device has one USB interface, the command interface. With a consumer
// collection its report descriptor holds four top-level collections, so that
// the consumer and command collections sit at the positions 3 and 4 the host's
// device table expects:
//   1., 2. reserved vendor collections (page 0xFF00, usages 1 and 2, report
//          IDs 1 and 2, one input byte each) that never send anything;
//   3.     Consumer Control (page 0x0C, usage 0x01), report ID 3, one 16-bit
//          array field whose usage is the notification code;
//   4.     the command collection: configured usage page, usage and report ID,
//          63-byte input and 63-byte output.
// Without a consumer collection the command collection is the only one.
//
// Every command report (byte 0 = the configured report ID) is answered by one
// 64-byte reply echoing command, length and offset (bytes 3..6), with the
// status in byte 7, read data from byte 8 and the reply's own checksum in bytes
// 1..2. Status 0xFF: bad checksum; 0xFE: unknown command, chunk over 56 bytes,
// or a range not wholly inside the memory. Refused requests change nothing.
// Reports with other IDs are kept in ReceivedRequests() and left unanswered.
//
// Memories, addressed by the offset and length bytes of a request:
//   device information  34 bytes, read by 0x03 (layout in sim/CommandReplies.h;
//                       kind, LED pages, LED count, 0 keys, 0 macro units,
//                       model name, firmware version)
//   parameters          256 bytes, read by 0x05, written by 0x06; zero at first
//   LED pages           8 pages of 512 bytes, written by 0x0B at page x 512 + n
//   frame buffer        512 bytes, written by 0x12
//   power status        6 bytes, read by 0x1A; charge 100 %, the rest 0 at first
// 0x01/0x02 open and close a configuration transaction (writes are accepted
// outside one too) and 0xAA answers the link query with 0xFF in reply byte 8.
// Key, key map and macro commands (0x07, 0x09, 0x15, 0x1B) are unknown here.
// Nothing survives the object.
//
// Streamed frames. The host streams a frame as 0x12 chunks laid end to end
// from offset 0, every chunk 56 bytes but the last, which carries the rest. No
// request says "last chunk": there is no flag, and a last chunk is a full 56
// bytes whenever the frame's length is a multiple of 56. What the device does
// know is its own frame: three bytes (red, green, blue) per LED, LED n at 3n,
// F = LED count x 3 bytes. So:
//   A frame is complete when an accepted 0x12 chunk covers the frame's last
//   byte, that is offset < F <= offset + length.
// The frame recorded then is bytes 0..F-1 of the frame buffer, which is what
// the LEDs show from then on. Chunks wholly past F (a host streaming more than
// F bytes) are stored but complete nothing, so a longer transfer still counts
// as one frame. A frame whose earlier chunks never arrived (the host drops
// chunks while its channel is busy) is recorded with the previous frame's
// bytes in their place, as the LEDs would show it; ReceivedRequests() tells
// the chunks apart. Refused or unanswered chunks (bad checksum, range,
// injected status, no answer, unplug) are not applied and complete nothing.
//
// Thread safety: every member may be called from any thread; the bus calls
// HandleOutputReport from the host's threads, possibly several at once.
#pragma once

#include "sim/CommandReplies.h"
#include "sim/VirtualHidDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

namespace velnor7 {

struct LitDeviceConfig {
    uint16_t vendorId = 0xF0E1;
    uint16_t productId = 0x5005;        // no catalogue product; pick the one a test needs
    uint16_t firmwareVersion = 0x0100;  // also USB bcdDevice
    uint8_t deviceKind = 3;             // information byte 0; 3 = mouse pad
    uint8_t commandInterface = 1;       // USB interface number
    uint16_t commandUsagePage = 0xFF1C;
    uint16_t commandUsage = 0x92;
    uint8_t commandReportId = 4;        // not 0; with a consumer collection not 1, 2 or 3
    uint8_t ledCount = 20;              // 1..170: the frame, 3 bytes per LED, fits the 512-byte buffer
    bool hasConsumerCollection = true;
};

class LitDeviceEmulator : public VirtualHidDevice {
public:
    using Frame = firmware::CommandFrame;

    static constexpr uint8_t kNotificationReportId = 3;
    static constexpr size_t kParameterSize = 256;
    static constexpr size_t kLedPageSize = 512;
    static constexpr size_t kLedPages = 8;
    static constexpr size_t kFrameBufferSize = 512;
    static constexpr size_t kMaxLedCount = kFrameBufferSize / 3;
    static constexpr size_t kPowerStatusSize = firmware::kPowerStatusBytes;
    // Completed frames kept for StreamedFrames(); older ones are dropped (a
    // host light thread streams for as long as it runs).
    static constexpr size_t kRecordedFrameLimit = 1024;

    // Throws std::invalid_argument for a configuration no device could have:
    // LED count 0 or over kMaxLedCount, command report ID 0, or one shared
    // with another collection of the interface.
    explicit LitDeviceEmulator(LitDeviceConfig config = {});

    const LitDeviceConfig& Config() const { return config_; }
    size_t FrameSize() const { return size_t{config_.ledCount} * 3; }

    uint16_t VendorId() const override;
    uint16_t ProductId() const override;
    uint16_t VersionNumber() const override;
    std::vector<VirtualHidInterface> Interfaces() const override;
    // Reports on any other interface than the command interface are refused
    // (false): the device has no other.
    bool HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) override;
    void Plugged(VirtualHidHostLink& link) override;
    void Unplugged() override;

    // Snapshots of the memories.
    std::vector<uint8_t> DeviceInfo() const;
    std::vector<uint8_t> ParameterMemory() const;
    std::vector<uint8_t> LedPage(int page) const;  // empty when page is not 0..kLedPages-1
    std::vector<uint8_t> PowerStatus() const;
    bool InConfiguration() const;

    // What the next power status reads return.
    void SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status);

    // Completed streamed frames, oldest first, FrameSize() bytes each (see the
    // rule above); at most the last kRecordedFrameLimit.
    std::vector<std::vector<uint8_t>> StreamedFrames() const;
    std::vector<uint8_t> LastStreamedFrame() const;  // empty when none
    // Frames completed since construction or the last clear, dropped ones included.
    uint64_t StreamedFrameCount() const;
    void ClearStreamedFrames();

    // A notification on the consumer collection: report {3, code low, code high}.
    // False when there is no consumer collection or the device is not plugged.
    bool SendNotification(uint16_t code);

    // Every output report received on the command interface, zero-padded or cut
    // to 64 bytes.
    std::vector<Frame> ReceivedRequests() const;
    void ClearReceivedRequests();

    // Fault injection, as the keyboard's. Requests are counted over command
    // reports only; requestNumber 1 is the very next one. Non-positive
    // arguments are ignored.
    void InjectNoAnswer(int count = 1);     // no reply, not applied
    void InjectWrongEcho(int count = 1);    // reply echoes command ^ 0x80, applied
    void InjectStatus(uint8_t status, int requestNumber);  // this status, not applied
    void UnplugAtRequest(int requestNumber);  // RequestUnplug, no reply, not applied

private:
    struct Memories {
        std::vector<uint8_t> info;
        std::vector<uint8_t> parameters;
        std::vector<uint8_t> ledPages;
        std::vector<uint8_t> frameBuffer;
        std::vector<uint8_t> powerStatus;
    };

    // Called with mutex_ held.
    Frame Execute(const Frame& request);

    const LitDeviceConfig config_;
    mutable std::mutex mutex_;
    Memories memories_;
    bool inConfiguration_ = false;
    VirtualHidHostLink* link_ = nullptr;
    firmware::CommandResponder responder_;
    std::deque<std::vector<uint8_t>> streamedFrames_;
    uint64_t streamedFrameCount_ = 0;
};

}  // namespace velnor7
