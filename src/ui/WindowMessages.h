#pragma once
// Numbered messages to windows from any thread.
//
// A window is reached through its handle, which stays safe to use after the window is gone
// (the message is then dropped). Sending waits until the UI thread has handled the
// message; posting queues it. A worker that sends can pass its stop event, so that a stop
// never waits on a UI thread that is itself waiting for the worker.

#include "ui/UiTypes.h"

#include <QString>

#include <cstdint>

namespace velnor7 {
class Event;
}

namespace velnor7::ui {

using WindowHandle = std::uintptr_t;  // 0: no window
class CWindowWnd;

// The result of the window's handler; 0 when the window does not exist, or when `cancel`
// was set before the UI thread handled the message.
long SendWindowMessage(WindowHandle window, const WindowMessage& message, const Event* cancel = nullptr);
// False when the window does not exist.
bool PostWindowMessage(WindowHandle window, const WindowMessage& message);
// A number for a message name, the same for the same name within the process.
unsigned RegisterWindowMessage(const QString& name);

// Used by CWindowWnd.
WindowHandle RegisterWindow(CWindowWnd* window);
void UnregisterWindow(WindowHandle handle);

}  // namespace velnor7::ui
