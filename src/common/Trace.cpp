#include "common/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace velnor7 {
namespace {

bool StderrFromEnvironment() {
    const char* value = std::getenv("VELNOR7_TRACE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::atomic<bool> g_toStderr{StderrFromEnvironment()};
std::atomic<bool> g_capturing{false};
std::mutex g_captureMutex;
std::vector<std::string> g_captured;  // guarded by g_captureMutex

}  // namespace

bool TraceEnabled() {
    return g_toStderr.load(std::memory_order_relaxed) || g_capturing.load(std::memory_order_relaxed);
}

void SetTraceToStderr(bool enabled) { g_toStderr.store(enabled); }

void Trace(const char* format, ...) {
    if (!TraceEnabled()) return;
    char stackBuffer[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, args);
    va_end(args);
    std::string line;
    if (needed < 0) {
        line = format;
    } else if (static_cast<size_t>(needed) < sizeof stackBuffer) {
        line.assign(stackBuffer, static_cast<size_t>(needed));
    } else {
        line.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(line.data(), line.size(), format, copy);
        line.resize(static_cast<size_t>(needed));
    }
    va_end(copy);
    // Many format strings end in a line break of their own; a call is one line.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();

    if (g_toStderr.load(std::memory_order_relaxed)) {
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stderr);
        line.pop_back();
    }
    if (g_capturing.load(std::memory_order_relaxed)) {
        std::lock_guard lock(g_captureMutex);
        g_captured.push_back(std::move(line));
    }
}

std::string HexDumpLine(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 4);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            if (i % 4 != 0) out += ' ';
            else out += (i / 4 <= 3) ? "   " : "  ";
        }
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

TraceCapture::TraceCapture() {
    std::lock_guard lock(g_captureMutex);
    g_captured.clear();
    g_capturing.store(true);
}

TraceCapture::~TraceCapture() {
    g_capturing.store(false);
    std::lock_guard lock(g_captureMutex);
    g_captured.clear();
}

std::vector<std::string> TraceCapture::Lines() const {
    std::lock_guard lock(g_captureMutex);
    return g_captured;
}

bool TraceCapture::Contains(const std::string& line) const {
    std::lock_guard lock(g_captureMutex);
    for (const auto& captured : g_captured)
        if (captured == line) return true;
    return false;
}

void TraceCapture::Clear() {
    std::lock_guard lock(g_captureMutex);
    g_captured.clear();
}

}  // namespace velnor7
