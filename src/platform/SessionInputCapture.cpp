#include "platform/SessionInputCapture.h"

#include "platform/WindowInputCapture.h"
#include "platform/X11InputCapture.h"

#include <QGuiApplication>

namespace velnor7 {

std::unique_ptr<IInputCapture> MakeSessionInputCapture(IInputCapture::Post post, IInputCapture::KeyHandler onKey,
                                                       IInputCapture::ButtonHandler onButton) {
    // Under Wayland, XWayland shows an X client only the input of other X clients.
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        if (auto session = MakeX11InputCapture({}, std::move(post), onKey, onButton)) return session;
    }
    return MakeWindowInputCapture(std::move(onKey), std::move(onButton));
}

}  // namespace velnor7
