// The information block a device answers ReadDeviceInfo with: where it keeps what the host
// reads of it, and that decoded.
#pragma once

#include "core/DeviceCommandChannel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velnor7 {

inline constexpr size_t kInfoKeySlots = 5;          // K: the key count
inline constexpr size_t kInfoMacroUnits = 6;        // macro memory, in units of kMacroUnitBytes
inline constexpr size_t kMacroUnitBytes = 128;
inline constexpr size_t kInfoModelName = 8;         // ASCII, NUL-padded
inline constexpr size_t kInfoModelNameSize = 16;
inline constexpr size_t kInfoFirmwareVersion = 32;  // 16-bit, low byte first

struct DeviceInformation {
    std::string model;  // printable ASCII; any other byte shows as \xNN
    uint16_t firmwareVersion = 0;
    unsigned keys = 0;
    unsigned macroBytes = 0;
};
DeviceInformation DecodeDeviceInformation(const std::array<uint8_t, kDeviceInfoSize>& block);
// 0x0102 as "1.02".
std::string FirmwareVersionText(uint16_t version);

}  // namespace velnor7
