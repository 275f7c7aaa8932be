// Real HID devices through hidapi's hidraw backend.
//
// hidraw exposes one node per USB HID interface; we present one path per
// top-level collection of it, "/dev/hidrawN#vid_xxxx&pid_xxxx&mi_xx&colxx", so
// that the catalogue's matching works on these paths as on any other. Report
// descriptors come from sysfs and are parsed by our own parser.
#pragma once

#include "core/HidBackend.h"

#include <memory>

namespace velnor7 {

std::shared_ptr<HidBackend> MakeHidrawBackend();

}  // namespace velnor7
