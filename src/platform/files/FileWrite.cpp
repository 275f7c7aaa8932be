#include "platform/files/FileWrite.h"

#include "platform/files/Descriptor.h"
#include "platform/files/FileKind.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <utility>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkHops = 40;
constexpr int kMaxNameAttempts = 100;

// The file a write through a path changes.
struct Target {
    std::string path;
    bool exists = false;
    unsigned mode = 0;
};

FileWriteResult Failed(int error, std::string reason) {
    FileWriteResult result;
    result.error = error;
    result.reason = std::move(reason);
    return result;
}

FileWriteResult FromSystemError(int error) {
    return Failed(error, "cannot be written (" + SystemErrorText(error) + ")");
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symlinks, relative ones from the folder of the link, to the file itself.
// 0, or the errno that stopped it.
int ResolveTarget(std::string path, Target& target) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno != ENOENT) return errno;
            target = {path, false, 0};
            return 0;
        }
        if (!S_ISLNK(status.st_mode)) {
            target = {path, true, static_cast<unsigned>(status.st_mode)};
            return 0;
        }
        std::error_code error;
        const std::string link = fs::read_symlink(path, error).string();
        if (error) return error.value();
        path = !link.empty() && link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return ELOOP;
}

// The pid in "<pid>-<counter>", the tail of a temporary file's name; 0 when the
// tail is not of that form.
pid_t PidOfTemporary(std::string_view tail) {
    const size_t dash = tail.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == tail.size()) return 0;
    pid_t pid = 0;
    const auto [pidEnd, pidError] = std::from_chars(tail.data(), tail.data() + dash, pid);
    if (pidError != std::errc() || pidEnd != tail.data() + dash || pid <= 0) return 0;
    unsigned long long counter = 0;
    const auto [end, error] = std::from_chars(tail.data() + dash + 1, tail.data() + tail.size(), counter);
    if (error != std::errc() || end != tail.data() + tail.size()) return 0;
    return pid;
}

// A run killed while writing leaves its temporary file behind; the pid in the name
// tells whether that run is over. Files of running processes may be in use.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
    const std::string prefix = name + ".tmp-";
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (file.compare(0, prefix.size(), prefix) != 0) continue;
        const pid_t pid = PidOfTemporary(std::string_view(file).substr(prefix.size()));
        if (pid == 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == -1 && errno == ESRCH) ::unlink((folder + "/" + file).c_str());
    }
}

// Creates a temporary file beside the target; `temporary` receives its name.
int CreateTemporary(const std::string& folder, const std::string& name, mode_t mode, std::string& temporary) {
    static std::atomic<unsigned long> counter{0};
    int fd = -1;
    // A name can be taken by a file of an earlier run that had this pid.
    for (int attempt = 0; attempt < kMaxNameAttempts && fd < 0; ++attempt) {
        temporary = folder + "/" + name + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    return fd;
}

// 0, or the errno of the failing write.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return 0;
}

void SyncFolder(const std::string& folder) {
    const Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder; the file is in place either way.
    if (directory.Valid()) ::fsync(directory.Get());
}

}  // namespace

FileWriteResult WriteFileDurably(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> newFilePermissions) {
    Target target;
    if (const int error = ResolveTarget(path, target); error != 0) return FromSystemError(error);
    if (target.exists && !S_ISREG(target.mode))
        return Failed(S_ISDIR(target.mode) ? EISDIR : EINVAL, NotAFileReason(target.mode));

    const std::string folder = FolderOf(target.path);
    const std::string name = NameOf(target.path);
    // An empty path, or one ending in '/', names no file to write.
    if (name.empty()) return FromSystemError(ENOENT);
    RemoveStaleTemporaries(folder, name);

    // Until its permissions are set, the new contents are readable by the owner only.
    std::string temporary;
    Descriptor file(CreateTemporary(folder, name, target.exists || newFilePermissions ? 0600 : 0666, temporary));
    if (!file.Valid()) return FromSystemError(errno);

    int error = 0;
    if (target.exists || newFilePermissions) {
        // A file system without permission bits refuses this; the owner-only bits stay then.
        ::fchmod(file.Get(), target.exists ? (target.mode & 07777) : *newFilePermissions);
    }
    error = WriteAll(file.Get(), bytes);
    if (error == 0 && ::fsync(file.Get()) != 0) error = errno;
    if (!file.Close() && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return FromSystemError(error);
    }
    SyncFolder(folder);
    FileWriteResult result;
    result.ok = true;
    return result;
}

}  // namespace velnor7
