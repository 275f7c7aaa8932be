#include "core/DeviceResult.h"

namespace velnor7 {
namespace {

// Which chunk a multi-chunk operation stopped at, for the reason.
std::string ChunkText(const TransferProgress* progress) {
    if (progress == nullptr || progress->chunksTotal <= 1) return {};
    return " at chunk " + std::to_string(progress->chunksDone + 1) + " of " + std::to_string(progress->chunksTotal);
}

}  // namespace

DeviceResult ChannelStepResult(int code, std::string_view operation, const CDeviceCommandChannel& channel,
                               const TransferProgress* progress) {
    if (code == kResultOk) {
        DeviceResult success;
        if (progress != nullptr) {
            success.chunksDone = progress->chunksDone;
            success.chunksTotal = progress->chunksTotal;
        }
        return success;
    }
    const std::string where = std::string(operation) + ChunkText(progress);
    DeviceResult result;
    switch (code) {
    case kResultNotOpenOrReadFailed:
        result = channel.IsOpen()
                     ? DeviceResult::Failure(DeviceError::NoAnswer,
                                             where + ": no answer from the device (time-out, or it was unplugged)")
                     : DeviceResult::Failure(DeviceError::NotOpen, where + ": the device is not attached");
        break;
    case kResultWriteFailed:
        result = DeviceResult::Failure(DeviceError::WriteFailed, where + ": the request could not be sent");
        break;
    case kResultStatusFE:
        result = DeviceResult::Failure(DeviceError::Refused, where + ": the device refused it (status 0xFE)");
        break;
    case kResultStatusFF:
        result = DeviceResult::Failure(DeviceError::BadChecksum,
                                       where + ": the device refused it as damaged (status 0xFF)");
        break;
    case kResultBadBank:
        result = DeviceResult::Failure(DeviceError::BadArgument, where + ": only bank 0 exists; nothing was sent");
        break;
    default:
        result = DeviceResult::Failure(DeviceError::NoAnswer, where + ": unknown result " + std::to_string(code));
        break;
    }
    if (progress != nullptr) {
        result.chunksDone = progress->chunksDone;
        result.chunksTotal = progress->chunksTotal;
    }
    return result;
}

std::string PartialWriteNote(const DeviceResult& result) {
    if (result.chunksDone == 0) return {};
    return std::to_string(result.chunksDone) + " of " + std::to_string(result.chunksTotal) +
           " chunks had been written";
}

}  // namespace velnor7
