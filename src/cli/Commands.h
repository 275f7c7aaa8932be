// The commands of velnor7ctl. Each prints its result and returns the exit status.
#pragma once

#include "cli/CliOptions.h"
#include "core/DeviceCommandChannel.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace velnor7 {

// The command the options name; --version and the help as well. A wrong call of a
// command is followed by its usage on `err` (without --json).
int RunCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

int RunList(const CliOptions& options, std::ostream& out, std::ostream& err);
// info [--raw]
int RunInfo(const CliOptions& options, std::ostream& out, std::ostream& err);
// The path of the first supported keyboard's command interface on the bus.
std::optional<std::string> FindKeyboardCommandPath();

// What a device's information block says of it.
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
