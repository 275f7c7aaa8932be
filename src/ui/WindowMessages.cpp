#include "ui/WindowMessages.h"

#include "common/Event.h"
#include "ui/UiThread.h"
#include "ui/WindowWnd.h"

#include <QHash>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace velnor7::ui {

namespace {

struct Registry {
    std::mutex lock;
    std::unordered_map<WindowHandle, CWindowWnd*> windows;
    WindowHandle next = 1;
    QHash<QString, unsigned> messages;
    unsigned nextMessage = wm::kFirstRegistered;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// On the UI thread only: the window behind a handle, if it still exists.
CWindowWnd* Lookup(WindowHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    const auto found = registry.windows.find(handle);
    return found != registry.windows.end() ? found->second : nullptr;
}

struct PendingSend {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    long result = 0;
};

}  // namespace

WindowHandle RegisterWindow(CWindowWnd* window) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    const WindowHandle handle = registry.next++;
    registry.windows[handle] = window;
    return handle;
}

void UnregisterWindow(WindowHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    registry.windows.erase(handle);
}

unsigned RegisterWindowMessage(const QString& name) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    const auto found = registry.messages.constFind(name);
    if (found != registry.messages.cend()) return *found;
    const unsigned id = registry.nextMessage++;
    registry.messages.insert(name, id);
    return id;
}

long SendWindowMessage(WindowHandle window, const WindowMessage& message, const Event* cancel) {
    if (OnUiThread()) {
        CWindowWnd* target = Lookup(window);
        return target != nullptr ? target->HandleMessage(message) : 0;
    }
    if (Lookup(window) == nullptr) return 0;
    auto pending = std::make_shared<PendingSend>();
    const bool posted = PostToUiThread([pending, window, message] {
        CWindowWnd* target = Lookup(window);
        const long result = target != nullptr ? target->HandleMessage(message) : 0;
        std::lock_guard guard(pending->lock);
        pending->result = result;
        pending->finished = true;
        pending->done.notify_all();
    });
    if (!posted) return 0;
    std::unique_lock guard(pending->lock);
    while (!pending->finished) {
        if (cancel != nullptr && cancel->IsSet()) return 0;
        pending->done.wait_for(guard, std::chrono::milliseconds(10));
    }
    return pending->result;
}

bool PostWindowMessage(WindowHandle window, const WindowMessage& message) {
    if (Lookup(window) == nullptr) return false;
    return PostToUiThread([window, message] {
        if (CWindowWnd* target = Lookup(window)) target->HandleMessage(message);
    });
}

}  // namespace velnor7::ui
