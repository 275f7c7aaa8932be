#include "sim/LitDeviceEmulator.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace velnor7 {
namespace {

using namespace firmware;

constexpr char kModelName[] = "VELNOR7 LIT";
static_assert(sizeof kModelName - 1 <= kDeviceInfoModelNameSize);

constexpr uint8_t kReservedReportIds[] = {1, 2};

const LitDeviceConfig& Checked(const LitDeviceConfig& config) {
    if (config.ledCount == 0 || config.ledCount > LitDeviceEmulator::kMaxLedCount)
        throw std::invalid_argument("lit device: LED count " + std::to_string(config.ledCount) + " outside 1.." +
                                    std::to_string(LitDeviceEmulator::kMaxLedCount));
    if (config.commandReportId == 0) throw std::invalid_argument("lit device: command report ID 0");
    if (config.hasConsumerCollection &&
        (config.commandReportId == LitDeviceEmulator::kNotificationReportId ||
         std::find(std::begin(kReservedReportIds), std::end(kReservedReportIds), config.commandReportId) !=
             std::end(kReservedReportIds)))
        throw std::invalid_argument("lit device: command report ID " + std::to_string(config.commandReportId) +
                                    " belongs to another collection");
    return config;
}

// A short item with the fewest data bytes (1 or 2) that hold value.
void AppendItem(std::vector<uint8_t>& descriptor, uint8_t tag, uint16_t value) {
    if (value <= 0xFF) {
        descriptor.insert(descriptor.end(), {static_cast<uint8_t>(tag | 1), static_cast<uint8_t>(value)});
    } else {
        descriptor.insert(descriptor.end(), {static_cast<uint8_t>(tag | 2), static_cast<uint8_t>(value & 0xFF),
                                             static_cast<uint8_t>(value >> 8)});
    }
}

constexpr uint8_t kUsagePageTag = 0x04;
constexpr uint8_t kUsageTag = 0x08;
constexpr uint8_t kReportIdTag = 0x84;

void AppendReservedCollection(std::vector<uint8_t>& descriptor, uint8_t usage, uint8_t reportId) {
    AppendItem(descriptor, kUsagePageTag, 0xFF00);
    AppendItem(descriptor, kUsageTag, usage);
    descriptor.insert(descriptor.end(), {0xA1, 0x01});  // Collection (Application)
    AppendItem(descriptor, kReportIdTag, reportId);
    descriptor.insert(descriptor.end(), {
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x01,        //   Report Count (1)
        0x09, 0x01,        //   Usage (0x01)
        0x81, 0x02,        //   Input (Data, Variable, Absolute)
        0xC0,              // End Collection
    });
}

void AppendConsumerCollection(std::vector<uint8_t>& descriptor) {
    descriptor.insert(descriptor.end(), {
        0x05, 0x0C,        // Usage Page (Consumer)
        0x09, 0x01,        // Usage (Consumer Control)
        0xA1, 0x01,        // Collection (Application)
        0x85, LitDeviceEmulator::kNotificationReportId,  // Report ID (3)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x0F,  //   Logical Maximum (0x0FFF)
        0x19, 0x00,        //   Usage Minimum (0)
        0x2A, 0xFF, 0x0F,  //   Usage Maximum (0x0FFF)
        0x75, 0x10,        //   Report Size (16)
        0x95, 0x01,        //   Report Count (1)
        0x81, 0x00,        //   Input (Data, Array, Absolute)
        0xC0,              // End Collection
    });
}

// 64-byte reports including the ID, in both directions.
void AppendCommandCollection(std::vector<uint8_t>& descriptor, const LitDeviceConfig& config) {
    AppendItem(descriptor, kUsagePageTag, config.commandUsagePage);
    AppendItem(descriptor, kUsageTag, config.commandUsage);
    descriptor.insert(descriptor.end(), {0xA1, 0x01});  // Collection (Application)
    AppendItem(descriptor, kReportIdTag, config.commandReportId);
    descriptor.insert(descriptor.end(), {
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x3F,        //   Report Count (63)
        0x09, 0x01,        //   Usage (0x01)
        0x81, 0x02,        //   Input (Data, Variable, Absolute): replies
        0x09, 0x02,        //   Usage (0x02)
        0x91, 0x02,        //   Output (Data, Variable, Absolute): requests
        0xC0,              // End Collection
    });
}

}  // namespace

LitDeviceEmulator::LitDeviceEmulator(LitDeviceConfig config)
    : config_(Checked(config)), responder_(config_.commandInterface, config_.commandReportId) {
    memories_.info.assign(kDeviceInfoSize, 0);
    memories_.info[kDeviceInfoKind] = config_.deviceKind;
    memories_.info[kDeviceInfoLedPageCount] = kLedPages;
    memories_.info[kDeviceInfoLedCount] = config_.ledCount;
    std::memcpy(&memories_.info[kDeviceInfoModelName], kModelName, sizeof kModelName - 1);
    memories_.info[kDeviceInfoFirmwareVersion] = config_.firmwareVersion & 0xFF;
    memories_.info[kDeviceInfoFirmwareVersion + 1] = config_.firmwareVersion >> 8;

    memories_.parameters.assign(kParameterSize, 0);
    memories_.ledPages.assign(kLedPages * kLedPageSize, 0);
    memories_.frameBuffer.assign(kFrameBufferSize, 0);
    memories_.powerStatus.assign(kPowerStatusSize, 0);
    memories_.powerStatus[kPowerStatusCharge] = 100;
}

uint16_t LitDeviceEmulator::VendorId() const { return config_.vendorId; }
uint16_t LitDeviceEmulator::ProductId() const { return config_.productId; }
uint16_t LitDeviceEmulator::VersionNumber() const { return config_.firmwareVersion; }

std::vector<VirtualHidInterface> LitDeviceEmulator::Interfaces() const {
    std::vector<uint8_t> descriptor;
    if (config_.hasConsumerCollection) {
        AppendReservedCollection(descriptor, 0x01, kReservedReportIds[0]);
        AppendReservedCollection(descriptor, 0x02, kReservedReportIds[1]);
        AppendConsumerCollection(descriptor);
    }
    AppendCommandCollection(descriptor, config_);
    return {{config_.commandInterface, std::move(descriptor)}};
}

bool LitDeviceEmulator::HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) {
    if (interfaceNumber != config_.commandInterface) return false;

    firmware::CommandResponder::Outcome outcome;
    {
        std::lock_guard lock(mutex_);
        outcome = responder_.Handle(report, link_, [this](const Frame& request) { return Execute(request); });
    }
    // Outside the lock: the bus may call Unplugged() from inside RequestUnplug().
    if (outcome.unplug != nullptr) outcome.unplug->RequestUnplug();
    return outcome.accepted;
}

LitDeviceEmulator::Frame LitDeviceEmulator::Execute(const Frame& request) {
    const uint8_t reportId = config_.commandReportId;
    if (auto refused = RefuseMalformed(request, reportId)) return *refused;
    if (auto answered = AnswerControlCommand(request, reportId, inConfiguration_)) return *answered;

    const CommandFields fields = FieldsOf(request);
    std::vector<uint8_t>* memory = nullptr;
    bool writes = false;
    switch (fields.command) {
    case kCommandReadDeviceInfo: memory = &memories_.info; break;
    case kCommandReadParameters: memory = &memories_.parameters; break;
    case kCommandWriteParameters: memory = &memories_.parameters, writes = true; break;
    case kCommandWriteLedPage: memory = &memories_.ledPages, writes = true; break;
    case kCommandStreamLedFrame: memory = &memories_.frameBuffer, writes = true; break;
    case kCommandReadPowerStatus: memory = &memories_.powerStatus; break;
    default: return ReplyTo(request, reportId, kCommandStatusRejected);
    }

    bool changed = false;
    const Frame reply = ServeMemory(request, reportId, *memory, writes, changed);
    const size_t frameSize = FrameSize();
    if (fields.command == kCommandStreamLedFrame && reply[kFrameStatus] == kCommandStatusOk &&
        fields.offset < frameSize && frameSize <= fields.offset + fields.length) {
        const auto first = memories_.frameBuffer.begin();
        streamedFrames_.emplace_back(first, first + static_cast<std::ptrdiff_t>(frameSize));
        if (streamedFrames_.size() > kRecordedFrameLimit) streamedFrames_.pop_front();
        ++streamedFrameCount_;
    }
    return reply;
}

void LitDeviceEmulator::Plugged(VirtualHidHostLink& link) {
    std::lock_guard lock(mutex_);
    link_ = &link;
    inConfiguration_ = false;  // a fresh power-up
}

void LitDeviceEmulator::Unplugged() {
    std::lock_guard lock(mutex_);
    link_ = nullptr;
}

std::vector<uint8_t> LitDeviceEmulator::DeviceInfo() const {
    std::lock_guard lock(mutex_);
    return memories_.info;
}

std::vector<uint8_t> LitDeviceEmulator::ParameterMemory() const {
    std::lock_guard lock(mutex_);
    return memories_.parameters;
}

std::vector<uint8_t> LitDeviceEmulator::LedPage(int page) const {
    if (page < 0 || static_cast<size_t>(page) >= kLedPages) return {};
    std::lock_guard lock(mutex_);
    const auto first = memories_.ledPages.begin() + static_cast<std::ptrdiff_t>(page * kLedPageSize);
    return {first, first + kLedPageSize};
}

std::vector<uint8_t> LitDeviceEmulator::PowerStatus() const {
    std::lock_guard lock(mutex_);
    return memories_.powerStatus;
}

bool LitDeviceEmulator::InConfiguration() const {
    std::lock_guard lock(mutex_);
    return inConfiguration_;
}

void LitDeviceEmulator::SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status) {
    std::lock_guard lock(mutex_);
    memories_.powerStatus.assign(status.begin(), status.end());
}

std::vector<std::vector<uint8_t>> LitDeviceEmulator::StreamedFrames() const {
    std::lock_guard lock(mutex_);
    return {streamedFrames_.begin(), streamedFrames_.end()};
}

std::vector<uint8_t> LitDeviceEmulator::LastStreamedFrame() const {
    std::lock_guard lock(mutex_);
    return streamedFrames_.empty() ? std::vector<uint8_t>{} : streamedFrames_.back();
}

uint64_t LitDeviceEmulator::StreamedFrameCount() const {
    std::lock_guard lock(mutex_);
    return streamedFrameCount_;
}

void LitDeviceEmulator::ClearStreamedFrames() {
    std::lock_guard lock(mutex_);
    streamedFrames_.clear();
    streamedFrameCount_ = 0;
}

bool LitDeviceEmulator::SendNotification(uint16_t code) {
    if (!config_.hasConsumerCollection) return false;
    const std::array<uint8_t, 3> report{kNotificationReportId, static_cast<uint8_t>(code & 0xFF),
                                        static_cast<uint8_t>(code >> 8)};
    std::lock_guard lock(mutex_);
    if (link_ == nullptr) return false;
    link_->SendInputReport(config_.commandInterface, report);
    return true;
}

std::vector<LitDeviceEmulator::Frame> LitDeviceEmulator::ReceivedRequests() const {
    std::lock_guard lock(mutex_);
    return responder_.ReceivedRequests();
}

void LitDeviceEmulator::ClearReceivedRequests() {
    std::lock_guard lock(mutex_);
    responder_.ClearReceivedRequests();
}

void LitDeviceEmulator::InjectNoAnswer(int count) {
    std::lock_guard lock(mutex_);
    responder_.InjectNoAnswer(count);
}

void LitDeviceEmulator::InjectWrongEcho(int count) {
    std::lock_guard lock(mutex_);
    responder_.InjectWrongEcho(count);
}

void LitDeviceEmulator::InjectStatus(uint8_t status, int requestNumber) {
    std::lock_guard lock(mutex_);
    responder_.InjectStatus(status, requestNumber);
}

void LitDeviceEmulator::UnplugAtRequest(int requestNumber) {
    std::lock_guard lock(mutex_);
    responder_.UnplugAtRequest(requestNumber);
}

}  // namespace velnor7
