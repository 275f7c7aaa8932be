#include "core/DeviceInformation.h"

#include <cstdio>

namespace velnor7 {

DeviceInformation DecodeDeviceInformation(const std::array<uint8_t, kDeviceInfoSize>& block) {
    DeviceInformation decoded;
    // The name is NUL-padded, and fills its 16 bytes without a NUL when it is that long.
    for (size_t i = kInfoModelName; i < kInfoModelName + kInfoModelNameSize && block[i] != 0; ++i) {
        // Bytes from the device never reach a terminal as control characters.
        if (block[i] >= 0x20 && block[i] < 0x7F) {
            decoded.model += static_cast<char>(block[i]);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", block[i]);
            decoded.model += escaped;
        }
    }
    decoded.firmwareVersion = static_cast<uint16_t>(block[kInfoFirmwareVersion] | block[kInfoFirmwareVersion + 1] << 8);
    decoded.keys = block[kInfoKeySlots];
    decoded.macroBytes = static_cast<unsigned>(block[kInfoMacroUnits] * kMacroUnitBytes);
    return decoded;
}

std::string FirmwareVersionText(uint16_t version) {
    // Major and minor byte in binary-coded decimal, as in the USB device release number.
    char text[8];
    std::snprintf(text, sizeof text, "%x.%02x", version >> 8, version & 0xFF);
    return text;
}

}  // namespace velnor7
