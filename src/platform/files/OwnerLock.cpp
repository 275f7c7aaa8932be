#include "platform/files/OwnerLock.h"

#include "platform/files/FileKind.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace velnor7 {
namespace {

struct HeldLock {
    int fd = -1;
    int users = 0;
};
std::mutex g_locksMutex;
std::map<std::string, HeldLock> g_locks;  // guarded by g_locksMutex

std::string ProcessName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// "velnor7ctl, pid 1234" for the process that holds a flock on the file open as `fd`;
// empty when the system does not say.
std::string LockHolderOf(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return {};
    char key[64];
    // As /proc/locks names a file: major:minor (hex) of its file system, then its inode.
    std::snprintf(key, sizeof key, "%02x:%02x:%llu", ::major(status.st_dev), ::minor(status.st_dev),
                  static_cast<unsigned long long>(status.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:05:678 0 EOF"
        std::istringstream fields(line);
        std::string number, type, advisory, access, file;
        long pid = 0;
        if (!(fields >> number >> type >> advisory >> access >> pid >> file)) continue;
        if (type != "FLOCK" || file != key || pid <= 0 || pid == ::getpid()) continue;
        const std::string name = ProcessName(pid);
        return (name.empty() ? "process" : name) + ", pid " + std::to_string(pid);
    }
    return {};
}

}  // namespace

OwnerLock::Taken OwnerLock::Take(const std::string& path, bool create) {
    std::lock_guard guard(g_locksMutex);
    const auto held = g_locks.find(path);
    if (held != g_locks.end()) {
        ++held->second.users;
        return {std::shared_ptr<OwnerLock>(new OwnerLock(path)), false, {}};
    }
    const int fd = create ? ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600)
                          : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {nullptr, false, SystemErrorText(errno)};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Taken refused{nullptr, error == EWOULDBLOCK, {}};
        if (refused.inUse) {
            const std::string holder = LockHolderOf(fd);
            refused.reason = "in use by " + (holder.empty() ? std::string("another program") : holder);
        } else {
            refused.reason = SystemErrorText(error);
        }
        ::close(fd);
        return refused;
    }
    g_locks[path] = HeldLock{fd, 1};
    return {std::shared_ptr<OwnerLock>(new OwnerLock(path)), false, {}};
}

OwnerLock::~OwnerLock() {
    std::lock_guard guard(g_locksMutex);
    const auto held = g_locks.find(path_);
    if (held == g_locks.end() || --held->second.users > 0) return;
    // Closing the only descriptor of the open file releases the lock.
    ::close(held->second.fd);
    g_locks.erase(held);
}

}  // namespace velnor7
