// Whole-file JSON reading and writing shared by every settings file.
#pragma once

#include <json/value.h>

#include <string>

namespace velnor7 {

// The whole file as text, up to its first NUL byte; empty when the file cannot be
// opened or read whole.
std::string readjsonFile(const std::string& path);

// The parsed document, or a null value when the file is missing, empty or not JSON.
Json::Value LoadJsonFile(const std::string& path);

// Writes the value as styled JSON followed by a line break. The write is atomic:
// the text goes to a temporary file in the same folder, which then replaces the
// file, so a failed write leaves the old file as it was.
// Returns 0 on success, 1 when the file cannot be written.
int wirtejsonFile(const std::string& path, const Json::Value& value);

}  // namespace velnor7
