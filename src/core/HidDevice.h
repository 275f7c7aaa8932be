// The program's only access to HID devices: enumeration, open, report reads and
// writes that end on time-out or when the device is closed from another thread,
// and decoding of input reports into usages and values.
#pragma once

#include "common/SteadyClock.h"
#include "core/HidBackend.h"
#include "core/HidDescriptor.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velnor7 {

struct HidCapabilities {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
};

// One decodable piece of a report: a button capability or one value usage.
struct HidDataItem {
    bool isButtonData = false;
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool decoded = false;        // status of the last decode
    bool isSet = false;          // the last decode matched this item's report
    // Button data: the usages of the range that were on, compacted to the front
    // and ended by a 0 when fewer than the capacity (usages.size()).
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;
    // Value data.
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};

class CHidDevice {
public:
    CHidDevice() = default;
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Lists every HID collection present; resets the iteration.
    bool Enumerate();
    std::optional<std::string> NextPath();
    size_t PathCount() const { return paths_.size(); }

    // 1 on success, 0 on failure. With neither access the open only proves the
    // device is there (and still reads its attributes and capabilities). Exclusive
    // makes this process the device's one owner and fails while another one is.
    int Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive);
    // Why the last Open failed (None after a success), and in words for the user.
    HidOpenError OpenError() const { return openError_; }
    const std::string& OpenFailure() const { return openFailure_; }
    // May be called while another thread waits in Read or Write: that wait ends with 0.
    void Close();
    bool IsOpen() const;

    // 1 when a report was transferred, 0 on failure, time-out or close.
    // timeoutMs -1 waits until a report arrives or the device is closed or gone.
    // A read waits without waking until one of these happens.
    // Reads deliver only reports of the open collection; after a 0 the buffer may
    // hold another collection's report.
    int Read(uint8_t* buffer, size_t length, int timeoutMs, size_t* bytesRead);
    int Write(const uint8_t* buffer, size_t length, int timeoutMs, size_t* bytesWritten);

    // The clock a read's time-out runs on; set before any transfer (tests step their own).
    void SetClock(SteadyClock clock) { clock_ = std::move(clock); }

    // Decodes one report (first byte = report ID) into the items with that report
    // ID; false when a value cannot be read.
    bool UnpackReport(std::vector<HidDataItem>& items, const uint8_t* report, size_t length,
                      HidReportType type) const;

    const HidAttributes& Attributes() const { return attributes_; }
    const HidCapabilities& Capabilities() const { return capabilities_; }
    uint16_t InterfaceNumber() const { return interfaceNumber_; }
    uint16_t CollectionNumber() const { return collectionNumber_; }
    const std::string& DevicePath() const { return devicePath_; }
    std::vector<uint8_t>& InputReportBuffer() { return reportBuffers_[0]; }
    std::vector<HidDataItem>& InputDataItems() { return dataItems_[0]; }
    bool ReadAccess() const { return mode_.read; }
    bool WriteAccess() const { return mode_.write; }
    bool Overlapped() const { return overlapped_; }
    bool Exclusive() const { return mode_.exclusive; }
    bool Reading() const { return reading_.load(); }
    bool Writing() const { return writing_.load(); }
    // A read found the device gone (since the last Open).
    bool Gone() const { return gone_.load(); }

private:
    // What a transfer on another thread needs, replaced whole by Open and Close.
    struct OpenState {
        std::shared_ptr<HidConnection> connection;
        HidCollectionCaps caps;
        HidOpenMode mode;
    };

    void ReleaseConnection();
    std::shared_ptr<const OpenState> State() const;
    void BuildDataItems(const HidCollectionCaps& caps);

    std::vector<std::string> paths_;
    size_t nextPath_ = 0;

    HidOpenMode mode_;
    bool overlapped_ = false;
    std::string devicePath_;
    HidCapabilities capabilities_;
    HidAttributes attributes_;
    std::vector<uint8_t> reportBuffers_[kHidReportTypeCount];
    std::vector<HidDataItem> dataItems_[kHidReportTypeCount];
    uint16_t interfaceNumber_ = 0;
    uint16_t collectionNumber_ = 0;

    mutable std::mutex stateMutex_;
    std::shared_ptr<const OpenState> state_;  // guarded by stateMutex_; null while closed
    // Bumped by Open and Close; a waiting transfer that sees it change was told to stop.
    std::atomic<uint32_t> generation_{0};
    std::atomic<bool> reading_{false};
    std::atomic<bool> writing_{false};
    std::atomic<bool> gone_{false};
    HidOpenError openError_ = HidOpenError::None;
    std::string openFailure_;
    SteadyClock clock_ = SystemSteadyClock();
};

}  // namespace velnor7
