#include "common/UserNotice.h"

#include "common/Trace.h"

#include <mutex>

namespace velnor7 {
namespace {

std::mutex g_mutex;
NoticeSink g_sink;                   // guarded by g_mutex
bool g_capturing = false;            // guarded by g_mutex
std::vector<std::string> g_captured; // guarded by g_mutex

}  // namespace

void UserNotice(const std::string& text) {
    Trace("notice: %s", text.c_str());
    NoticeSink sink;
    {
        std::lock_guard lock(g_mutex);
        if (g_capturing) g_captured.push_back(text);
        sink = g_sink;
    }
    // Outside the lock: a sink may hand the text to another thread and wait for it.
    if (sink) sink(text);
}

NoticeSink SetNoticeSink(NoticeSink sink) {
    std::lock_guard lock(g_mutex);
    std::swap(g_sink, sink);
    return sink;
}

NoticeCapture::NoticeCapture() {
    std::lock_guard lock(g_mutex);
    g_captured.clear();
    g_capturing = true;
}

NoticeCapture::~NoticeCapture() {
    std::lock_guard lock(g_mutex);
    g_capturing = false;
    g_captured.clear();
}

std::vector<std::string> NoticeCapture::Notices() const {
    std::lock_guard lock(g_mutex);
    return g_captured;
}

bool NoticeCapture::Mentions(const std::string& part) const {
    std::lock_guard lock(g_mutex);
    for (const std::string& notice : g_captured)
        if (notice.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace velnor7
