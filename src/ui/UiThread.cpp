#include "ui/UiThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
#define VELNOR7_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELNOR7_TSAN 1
#endif
#endif

#ifdef VELNOR7_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace velnor7::ui {

namespace {

class WorkEvent : public QEvent {
public:
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    explicit WorkEvent(std::function<void()> work) : QEvent(Type()), work_(std::move(work)) {}
    void Run() { work_(); }

private:
    std::function<void()> work_;
};

// Lives on the UI thread and runs the work it receives.
class Dispatcher : public QObject {
public:
    bool event(QEvent* event) override {
#ifdef VELNOR7_TSAN
        __tsan_acquire(event);
#endif
        if (event->type() != WorkEvent::Type()) return QObject::event(event);
        static_cast<WorkEvent*>(event)->Run();
        return true;
    }
};

Dispatcher* TheDispatcher() {
    static Dispatcher* dispatcher = [] {
        // Kept for the life of the process; posts after the application ended are refused.
        auto* created = new Dispatcher;
        created->moveToThread(QCoreApplication::instance()->thread());
        return created;
    }();
    return dispatcher;
}

}  // namespace

bool OnUiThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

bool PostToUiThread(std::function<void()> work) {
    if (QCoreApplication::instance() == nullptr) return false;
    auto* event = new WorkEvent(std::move(work));
#ifdef VELNOR7_TSAN
    __tsan_release(event);
#endif
    QCoreApplication::postEvent(TheDispatcher(), event);
    return true;
}

}  // namespace velnor7::ui
