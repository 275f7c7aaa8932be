#include "platform/files/FileRead.h"

#include "platform/files/Descriptor.h"
#include "platform/files/FileKind.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace velnor7 {
namespace {

FileReadResult Failed(FileReadStatus status, int error, std::string reason) {
    FileReadResult result;
    result.status = status;
    result.error = error;
    result.reason = std::move(reason);
    return result;
}

FileReadResult FromSystemError(int error) {
    if (error == ENOENT || error == ENOTDIR) return Failed(FileReadStatus::Missing, error, "does not exist");
    return Failed(FileReadStatus::Unreadable, error, "cannot be read (" + SystemErrorText(error) + ")");
}

// What the status of an existing path means for reading it.
FileReadResult FromStatus(const struct stat& status) {
    if (!S_ISREG(status.st_mode)) return Failed(FileReadStatus::NotRegular, 0, NotAFileReason(status.st_mode));
    if (status.st_size > kMaxSettingsFileBytes)
        return Failed(FileReadStatus::Unreadable, EFBIG, "is too large for a settings file");
    FileReadResult result;
    result.permissions = status.st_mode & 07777;
    return result;
}

}  // namespace

FileReadResult InspectFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return FromSystemError(errno);
    return FromStatus(status);
}

FileReadResult ReadRegularFile(const std::string& path) {
    // Looking first keeps device nodes closed: opening some has effects of its own.
    FileReadResult result = InspectFile(path);
    if (result.status != FileReadStatus::Ok) return result;

    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return FromSystemError(errno);
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) return FromSystemError(errno);
    result = FromStatus(status);
    if (result.status != FileReadStatus::Ok) return result;

    // Read to the end rather than trusting the size: the file may change meanwhile.
    result.bytes.reserve(static_cast<size_t>(status.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            return FromSystemError(errno);
        }
        result.bytes.append(chunk, static_cast<size_t>(count));
        if (static_cast<long long>(result.bytes.size()) > kMaxSettingsFileBytes)
            return Failed(FileReadStatus::Unreadable, EFBIG, "is too large for a settings file");
    }
    return result;
}

bool PathExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace velnor7
