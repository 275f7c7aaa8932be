// The input capture a session allows: all of an X session's input, or, on Wayland or without
// an X server, only what the program's own windows receive.
#pragma once

#include "platform/InputCapture.h"

#include <memory>

namespace velnor7 {

std::unique_ptr<IInputCapture> MakeSessionInputCapture(IInputCapture::Post post, IInputCapture::KeyHandler onKey,
                                                       IInputCapture::ButtonHandler onButton);

}  // namespace velnor7
