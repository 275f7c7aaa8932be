// The update commands of velnor7ctl: the versions the update service offers for the devices'
// firmware and for this program, and the download of an installer.
#pragma once

#include "cli/CliOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

namespace velnor7 {

// The version number (USB bcdDevice) of the attached device of a type, when one is attached.
using AttachedVersionLookup = std::function<std::optional<uint16_t>(uint16_t deviceType)>;

// update check | update download TARGET DIR
int RunUpdate(const CliOptions& options, std::ostream& out, std::ostream& err,
              const AttachedVersionLookup& attachedVersion);

}  // namespace velnor7
