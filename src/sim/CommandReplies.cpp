#include "sim/CommandReplies.h"

#include <algorithm>
#include <utility>

namespace velnor7::firmware {
namespace {

constexpr size_t kChecksumFirstByte = 3;

uint16_t Checksum(const CommandFrame& frame) {
    unsigned sum = 0;
    for (size_t i = kChecksumFirstByte; i < frame.size(); ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

}  // namespace

CommandFields FieldsOf(const CommandFrame& frame) {
    return {frame[kFrameCommand], frame[kFrameLength],
            frame[kFrameOffsetLow] | static_cast<size_t>(frame[kFrameOffsetHigh]) << 8};
}

bool ChecksumMatches(const CommandFrame& request) {
    const uint16_t stored =
        static_cast<uint16_t>(request[kFrameChecksumLow] | request[kFrameChecksumHigh] << 8);
    return stored == Checksum(request);
}

void StampChecksum(CommandFrame& frame) {
    const uint16_t sum = Checksum(frame);
    frame[kFrameChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    frame[kFrameChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

CommandFrame ReplyTo(const CommandFrame& request, uint8_t reportId, uint8_t status) {
    CommandFrame reply{};
    reply[0] = reportId;
    reply[kFrameCommand] = request[kFrameCommand];
    reply[kFrameLength] = request[kFrameLength];
    reply[kFrameOffsetLow] = request[kFrameOffsetLow];
    reply[kFrameOffsetHigh] = request[kFrameOffsetHigh];
    reply[kFrameStatus] = status;
    return reply;
}

std::optional<CommandFrame> RefuseMalformed(const CommandFrame& request, uint8_t reportId) {
    if (!ChecksumMatches(request)) return ReplyTo(request, reportId, kCommandStatusBadChecksum);
    if (FieldsOf(request).length > kMaxCommandChunk) return ReplyTo(request, reportId, kCommandStatusRejected);
    return std::nullopt;
}

std::optional<CommandFrame> AnswerControlCommand(const CommandFrame& request, uint8_t reportId,
                                                 bool& inConfiguration) {
    switch (request[kFrameCommand]) {
    case kCommandBeginConfig:
        inConfiguration = true;
        return ReplyTo(request, reportId, kCommandStatusOk);
    case kCommandEndConfig:
        inConfiguration = false;
        return ReplyTo(request, reportId, kCommandStatusOk);
    case kCommandQueryLink: {
        CommandFrame reply = ReplyTo(request, reportId, kCommandStatusOk);
        reply[kFramePayload] = kLinkUp;
        return reply;
    }
    default:
        return std::nullopt;
    }
}

CommandFrame ServeMemory(const CommandFrame& request, uint8_t reportId, std::vector<uint8_t>& memory, bool writes,
                         bool& changed) {
    changed = false;
    const CommandFields fields = FieldsOf(request);
    // A length over the payload room would read past the request; the caller
    // has refused those already, this keeps the copy inside the frame anyway.
    if (fields.length > kMaxCommandChunk || fields.offset + fields.length > memory.size())
        return ReplyTo(request, reportId, kCommandStatusRejected);

    CommandFrame reply = ReplyTo(request, reportId, kCommandStatusOk);
    if (!writes) {
        std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(fields.offset), fields.length,
                    reply.begin() + kFramePayload);
    } else {
        changed = Overwrite(memory, fields.offset, std::span(request).subspan(kFramePayload, fields.length));
    }
    return reply;
}

bool Overwrite(std::vector<uint8_t>& memory, size_t offset, std::span<const uint8_t> bytes) {
    const auto region = memory.begin() + static_cast<std::ptrdiff_t>(offset);
    if (std::equal(bytes.begin(), bytes.end(), region)) return false;
    std::copy(bytes.begin(), bytes.end(), region);
    return true;
}

CommandResponder::CommandResponder(uint8_t interfaceNumber, uint8_t reportId)
    : interfaceNumber_(interfaceNumber), reportId_(reportId) {}

CommandResponder::Outcome CommandResponder::Handle(std::span<const uint8_t> report, VirtualHidHostLink*& link,
                                                   const Executor& execute) {
    CommandFrame request{};
    std::copy_n(report.begin(), std::min(report.size(), request.size()), request.begin());
    receivedRequests_.push_back(request);
    if (request[0] != reportId_) return {};

    const uint64_t number = ++commandRequestsSeen_;
    const auto injectedStatus = injectedStatuses_.extract(number);
    if (unplugAtRequest_ == number) {
        unplugAtRequest_.reset();
        // Gone from now on: requests racing with the unplug get no answer.
        VirtualHidHostLink* unplugging = std::exchange(link, nullptr);
        return {unplugging != nullptr, unplugging};
    }
    if (silentRequests_.erase(number) > 0 || noAnswersLeft_ > 0) {
        if (noAnswersLeft_ > 0) --noAnswersLeft_;
        return {link != nullptr, nullptr};
    }
    CommandFrame reply = injectedStatus ? ReplyTo(request, reportId_, injectedStatus.mapped()) : execute(request);
    if (wrongEchoRequests_.erase(number) > 0) {
        reply[kFrameCommand] ^= kWrongEchoFlip;
    } else if (wrongEchoesLeft_ > 0) {
        --wrongEchoesLeft_;
        reply[kFrameCommand] ^= kWrongEchoFlip;
    }
    StampChecksum(reply);
    if (link == nullptr) return {false, nullptr};
    link->SendInputReport(interfaceNumber_, reply);
    return {};
}

void CommandResponder::InjectNoAnswer(int count) {
    if (count > 0) noAnswersLeft_ += static_cast<uint64_t>(count);
}

void CommandResponder::InjectWrongEcho(int count) {
    if (count > 0) wrongEchoesLeft_ += static_cast<uint64_t>(count);
}

void CommandResponder::InjectStatus(uint8_t status, int requestNumber) {
    if (requestNumber > 0) injectedStatuses_[commandRequestsSeen_ + static_cast<uint64_t>(requestNumber)] = status;
}

void CommandResponder::UnplugAtRequest(int requestNumber) {
    if (requestNumber > 0) unplugAtRequest_ = commandRequestsSeen_ + static_cast<uint64_t>(requestNumber);
}

void CommandResponder::ClearFaults() {
    noAnswersLeft_ = 0;
    wrongEchoesLeft_ = 0;
    injectedStatuses_.clear();
    unplugAtRequest_.reset();
    silentRequests_.clear();
    wrongEchoRequests_.clear();
}

void CommandResponder::InjectFault(Fault fault, int requestNumber) {
    if (requestNumber <= 0) return;
    const uint64_t number = commandRequestsSeen_ + static_cast<uint64_t>(requestNumber);
    switch (fault) {
    case Fault::NoAnswer: silentRequests_.insert(number); break;
    case Fault::WrongEcho: wrongEchoRequests_.insert(number); break;
    case Fault::StatusRejected: InjectStatus(kCommandStatusRejected, requestNumber); break;
    case Fault::StatusBadChecksum: InjectStatus(kCommandStatusBadChecksum, requestNumber); break;
    case Fault::Unplug: UnplugAtRequest(requestNumber); break;
    }
}

}  // namespace velnor7::firmware
