// One owner per device: an advisory lock (flock) on a device node or a state file.
//
// The lock belongs to an open file description, so two opens of one file in the same
// process would refuse each other; the process keeps one lock per path instead and
// hands out shares of it. It ends with the last share, and with the process.
#pragma once

#include <memory>
#include <string>

namespace velnor7 {

class OwnerLock {
public:
    struct Taken {
        std::shared_ptr<OwnerLock> lock;  // null when not taken
        bool inUse = false;               // another process owns the file
        // Why not taken: "in use by velnor7ctl, pid 1234", or the system's reason.
        std::string reason;
    };

    // Takes the lock on `path` without waiting, or shares the one this process holds.
    // `create` makes a missing file (a lock file beside data that is replaced whole,
    // whose own lock would go with each replacement); device nodes are never made.
    static Taken Take(const std::string& path, bool create = false);

    ~OwnerLock();
    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

private:
    explicit OwnerLock(std::string path) : path_(std::move(path)) {}

    const std::string path_;
};

}  // namespace velnor7
