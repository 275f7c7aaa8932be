// Capture of the whole X session (XWayland included) through XInput 2 raw events, which
// every client may select on the root window and which arrive whatever window has the focus
// or holds a grab. Keys are swallowed with a grab of the keyboard on the root window.
#pragma once

#include "platform/InputCapture.h"

#include <memory>
#include <string>

namespace velnor7 {

// `display` as XOpenDisplay takes it (":1"); empty: the session's $DISPLAY. Null when that
// display cannot be opened (no DISPLAY, or a Wayland session that keeps X clients out) or has
// no XInput 2.2: the caller then captures only in its own window.
std::unique_ptr<IInputCapture> MakeX11InputCapture(const std::string& display, IInputCapture::Post post,
                                                   IInputCapture::KeyHandler onKey,
                                                   IInputCapture::ButtonHandler onButton);

}  // namespace velnor7
