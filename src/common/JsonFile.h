// Whole-file JSON reading and writing shared by every settings file.
//
// Reading never blocks and never throws: a folder, FIFO or device in place of a
// file is reported as such. Writing is atomic and durable: a failed or interrupted
// write leaves the old file as it was. Reasons are phrases that complete the
// sentence "The file <path> …" ("is a folder, not a file", "is not JSON").
#pragma once

#include <json/value.h>

#include <string>

namespace velnor7 {

// The whole file as text, up to its first NUL byte; empty when the file cannot be
// opened or read whole.
std::string readjsonFile(const std::string& path);

// The parsed document, or a null value when the file is missing, not a regular
// file, unreadable, empty or not JSON.
Json::Value LoadJsonFile(const std::string& path);

// Writes the value as styled JSON followed by a line break. The write is atomic:
// the text goes to a temporary file in the same folder, synced to disk, which then
// replaces the file, so a failed write leaves the old file as it was. A symlink is
// written through; a folder, FIFO or device in the file's place is never replaced.
// Returns 0 on success, 1 when the file cannot be written.
int wirtejsonFile(const std::string& path, const Json::Value& value);

enum class JsonFileStatus {
    Ok,          // parsed; the value may be of any JSON type
    Missing,     // nothing at the path
    NotRegular,  // a folder, FIFO, socket or device: never to be written over
    Unreadable,  // present, but reading it failed
    Empty,       // present, without text before its first NUL byte
    NotJson,     // present, but the text does not parse
};

struct JsonFileRead {
    JsonFileStatus status = JsonFileStatus::Ok;
    Json::Value value;   // the document when Ok, else null
    std::string reason;  // when not Ok
};

// What LoadJsonFile reads, with what kept it from a document.
JsonFileRead ReadJsonFile(const std::string& path);

struct JsonFileWrite {
    bool ok = false;
    std::string reason;  // when not ok
};

// wirtejsonFile with the reason of a failure.
JsonFileWrite WriteJsonFile(const std::string& path, const Json::Value& value);

struct KeptFileCopy {
    bool kept = false;
    std::string path;    // the copy, when kept
    std::string reason;  // why there is no copy, when not kept: "the copy cannot be written (…)"
};

// Copies a settings file that is about to be replaced because it cannot be used,
// byte for byte, to path + ".broken-" + a timestamp, so that the user's data
// survives the repair. When no copy could be made the caller must leave the file
// as it is.
KeptFileCopy KeepBrokenFile(const std::string& path);
// The same copy for a file the user chose to replace (a profile reset): path + "." + label +
// "-" + a timestamp.
KeptFileCopy KeepCopyOfFile(const std::string& path, const std::string& label);

}  // namespace velnor7
