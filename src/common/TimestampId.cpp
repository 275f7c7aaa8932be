#include "common/TimestampId.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace velnor7 {

std::string NewTimestampId() { return NewTimestampId(std::chrono::system_clock::now()); }

std::string NewTimestampId(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    {
        // std::localtime shares one buffer per process.
        static std::mutex localtimeMutex;
        std::lock_guard lock(localtimeMutex);
        local = *std::localtime(&seconds);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

}  // namespace velnor7
