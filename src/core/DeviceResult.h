// What a transaction with a device came to: success, or which failure, with a
// reason a person can read (which command, which chunk, what the device said).
#pragma once

#include "core/DeviceCommandChannel.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velnor7 {

enum class DeviceError {
    None,
    NotOpen,          // no device is attached: nothing was sent
    NoAnswer,         // no reply of this command in time, or the device went away
    WriteFailed,      // a request could not be sent
    Refused,          // the device answered with status 0xFE
    BadChecksum,      // the device answered with status 0xFF
    BadArgument,      // the request could not be made (bank, range): nothing was sent
    Unsupported,      // the device describes itself in a way this program cannot use
    NotReadOut,       // the device's own data were never read: nothing to start from
    DeviceChanged,    // the device no longer matches what was read from it
    DoesNotFit,       // the data are larger than the device's memory: nothing was sent
    ProfileNotSaved,  // the device answered, but its profile file could not be written
};

struct DeviceResult {
    DeviceError error = DeviceError::None;
    std::string reason;  // empty on success
    // Writes of several chunks: the chunks the device acknowledged, and all chunks.
    size_t chunksDone = 0;
    size_t chunksTotal = 0;

    bool Ok() const { return error == DeviceError::None; }

    static DeviceResult Success() { return {}; }
    static DeviceResult Failure(DeviceError error, std::string reason) { return {error, std::move(reason), 0, 0}; }
};

// The result of one channel operation, from the integer the channel returned.
// `operation` names the command ("ReadKeyMap"); `progress` is the operation's own,
// when it went in chunks; `channel` tells a closed channel from a silent device.
DeviceResult ChannelStepResult(int code, std::string_view operation, const CDeviceCommandChannel& channel,
                               const TransferProgress* progress = nullptr);

// "the key map was written in part: 2 of 7 chunks" style tail for partial writes;
// empty when nothing of a write was acknowledged.
std::string PartialWriteNote(const DeviceResult& result);

}  // namespace velnor7
