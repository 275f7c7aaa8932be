// Identifiers of new profiles and macros, made from the local time.
#pragma once

#include <chrono>
#include <string>

namespace velnor7 {

// "2024_03_05_14_07_09_042": year, month, day, hour, minute, second, millisecond.
std::string NewTimestampId();
std::string NewTimestampId(std::chrono::system_clock::time_point when);

}  // namespace velnor7
