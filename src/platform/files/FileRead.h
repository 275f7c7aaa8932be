// Reading a settings file whole without ever waiting on it. A folder, named pipe,
// socket or device node where a settings file should be is reported, never opened
// for reading: fopen on a FIFO blocks until a writer comes, and a folder has no
// length to read.
#pragma once

#include <string>

namespace velnor7 {

enum class FileReadStatus {
    Ok,
    Missing,     // nothing at the path (or a symlink to nothing)
    NotRegular,  // a folder, FIFO, socket or device node
    Unreadable,  // present but cannot be read: permission, I/O error, far too large
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Ok;
    std::string bytes;        // the whole file, NUL bytes included, when Ok
    std::string reason;       // when not Ok: completes "The file <path> …"
    int error = 0;            // errno of the call that failed; 0 when none failed
    unsigned permissions = 0; // the file's permission bits, when Ok
};

// Files larger than this are not settings files; reading one would only exhaust memory.
inline constexpr long long kMaxSettingsFileBytes = 64LL * 1024 * 1024;

// Follows symlinks. Never blocks: the path is looked at before it is opened, and it
// is opened non-blocking, so a FIFO put in its place in between is still refused.
FileReadResult ReadRegularFile(const std::string& path);

// Only what ReadRegularFile would say about the path, without reading it.
FileReadResult InspectFile(const std::string& path);

// Whether anything is at the path: a file, a folder, a dangling symlink...
bool PathExists(const std::string& path);

}  // namespace velnor7
