// Capture of the keys and mouse buttons the program's own windows receive, where the session
// lets no program see the input of others (a Wayland session, no X server).
#pragma once

#include "platform/InputCapture.h"

#include <memory>

namespace velnor7 {

// Runs on the UI thread: the handlers are called as the application receives the input.
std::unique_ptr<IInputCapture> MakeWindowInputCapture(IInputCapture::KeyHandler onKey,
                                                      IInputCapture::ButtonHandler onButton);

}  // namespace velnor7
