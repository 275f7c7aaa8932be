#include "platform/HidrawBackend.h"

#include "common/Trace.h"
#include "core/HidDescriptor.h"

#include "platform/files/FileKind.h"
#include "platform/files/OwnerLock.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>

namespace velnor7 {
namespace {

// What one hidraw node is, as far as the bus listing knows.
struct NodeInfo {
    std::string node;      // "/dev/hidrawN"
    std::string instance;  // the kernel's name of the HID device, new at every plug-in
    HidAttributes attributes;
    int interfaceNumber = -1;
    std::vector<uint8_t> descriptor;
    size_t collectionCount = 0;
};

std::string SysfsFolder(const std::string& node) {
    const size_t slash = node.rfind('/');
    return "/sys/class/hidraw/" + (slash == std::string::npos ? node : node.substr(slash + 1));
}

std::vector<uint8_t> ReadSysfsDescriptor(const std::string& node) {
    std::ifstream file(SysfsFolder(node) + "/device/report_descriptor", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// "0003:F0E1:5004.000A": the HID device behind the node. The kernel numbers every device it
// meets anew, so a device pulled out and plugged back in under the same hidrawN has another
// name, and its old path no longer opens.
std::string ReadInstance(const std::string& node) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(SysfsFolder(node) + "/device", error);
    return error ? std::string() : target.filename().string();
}

bool NodeExists(const std::string& node) {
    struct stat status {};
    return ::stat(node.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
}

// Every hidraw node with its attributes and parsed descriptor. hidapi lists a
// node once per top-level usage; we keep one entry per node.
std::vector<NodeInfo> ListNodes() {
    std::vector<NodeInfo> nodes;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* entry = list; entry != nullptr; entry = entry->next) {
        const std::string node = entry->path != nullptr ? entry->path : "";
        if (node.empty()) continue;
        bool known = false;
        for (const NodeInfo& existing : nodes) known = known || existing.node == node;
        if (known) continue;
        NodeInfo info;
        info.node = node;
        info.instance = ReadInstance(node);
        info.attributes = {entry->vendor_id, entry->product_id, entry->release_number};
        info.interfaceNumber = entry->interface_number;
        info.descriptor = ReadSysfsDescriptor(node);
        const HidDescriptorInfo parsed = ParseHidReportDescriptor(info.descriptor.data(), info.descriptor.size());
        info.collectionCount = parsed.ok ? parsed.collections.size() : 0;
        if (!parsed.ok) Trace("%s: report descriptor not understood: %s", node.c_str(), parsed.error.c_str());
        nodes.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return nodes;
}

// A hidraw node opened by us rather than through hidapi: hidapi's handle can neither be
// woken from a read nor locked, and a reader that waits in slices to notice a close wakes
// a hundred times a second for nothing.
class HidrawConnection final : public HidConnection {
public:
    // fd -1 for a presence-only open.
    HidrawConnection(NodeInfo info, int collectionIndex, int fd, std::shared_ptr<OwnerLock> owner)
        : info_(std::move(info)), collectionIndex_(collectionIndex), fd_(fd), owner_(std::move(owner)),
          wake_(fd >= 0 ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1) {}
    ~HidrawConnection() override {
        if (wake_ >= 0) ::close(wake_);
        if (fd_ >= 0) ::close(fd_);
    }
    HidrawConnection(const HidrawConnection&) = delete;
    HidrawConnection& operator=(const HidrawConnection&) = delete;

    HidAttributes Attributes() const override { return info_.attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return info_.descriptor; }
    int CollectionIndex() const override { return collectionIndex_; }

    int Read(uint8_t* buffer, size_t length, int timeoutMs) override {
        if (fd_ < 0 || wake_ < 0) return -1;
        pollfd waits[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        int ready = 0;
        do {
            ready = ::poll(waits, 2, timeoutMs < 0 ? -1 : timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) return -1;
        // The interrupt stays set (it is never read back), so every later read ends at once.
        if (ready == 0 || (waits[1].revents & POLLIN) != 0) return 0;
        if ((waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return -1;
        const ssize_t received = ::read(fd_, buffer, length);
        if (received < 0) return errno == EAGAIN || errno == EINTR ? 0 : -1;
        return static_cast<int>(received);
    }

    // As hidraw wants it: the report ID (0 when the interface has none) and the report.
    int Write(const uint8_t* data, size_t length) override {
        if (fd_ < 0) return -1;
        ssize_t written = 0;
        do {
            written = ::write(fd_, data, length);
        } while (written < 0 && errno == EINTR);
        return written < 0 ? -1 : static_cast<int>(written);
    }

    void Interrupt() override {
        if (wake_ >= 0) (void)!::eventfd_write(wake_, 1);
    }

private:
    const NodeInfo info_;
    const int collectionIndex_;
    const int fd_;
    const std::shared_ptr<OwnerLock> owner_;  // held while this process owns the device
    const int wake_;
};

// hidraw arrivals and removals from udev. After udev has set a node's permissions it
// announces it on its own channel; where no udev daemon runs, the kernel's announcements
// are the only ones there are.
class UdevBusWatch final : public HidBusWatch {
public:
    static std::unique_ptr<HidBusWatch> Open() {
        udev* context = ::udev_new();
        if (context == nullptr) return nullptr;
        const bool daemonRuns = ::access("/run/udev/control", F_OK) == 0;
        udev_monitor* monitor = ::udev_monitor_new_from_netlink(context, daemonRuns ? "udev" : "kernel");
        const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (monitor == nullptr || wake < 0 ||
            ::udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
            ::udev_monitor_enable_receiving(monitor) < 0) {
            if (wake >= 0) ::close(wake);
            if (monitor != nullptr) ::udev_monitor_unref(monitor);
            ::udev_unref(context);
            return nullptr;
        }
        return std::unique_ptr<HidBusWatch>(new UdevBusWatch(context, monitor, wake));
    }

    ~UdevBusWatch() override {
        ::close(wake_);
        ::udev_monitor_unref(monitor_);
        ::udev_unref(context_);
    }
    UdevBusWatch(const UdevBusWatch&) = delete;
    UdevBusWatch& operator=(const UdevBusWatch&) = delete;

    bool Wait(int timeoutMs) override {
        pollfd waits[2] = {{::udev_monitor_get_fd(monitor_), POLLIN, 0}, {wake_, POLLIN, 0}};
        int ready = 0;
        do {
            ready = ::poll(waits, 2, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) return false;
        // Take every announcement that is there: one change, one listing.
        while (udev_device* device = ::udev_monitor_receive_device(monitor_)) ::udev_device_unref(device);
        // A failed poll or an overrun counts as a change: listing once too often loses nothing.
        return true;
    }

    void Wake() override { (void)!::eventfd_write(wake_, 1); }

private:
    UdevBusWatch(udev* context, udev_monitor* monitor, int wake) : context_(context), monitor_(monitor), wake_(wake) {}

    udev* const context_;
    udev_monitor* const monitor_;
    const int wake_;
};

class HidrawBackend final : public HidBackend {
public:
    HidrawBackend() {
        if (hid_init() != 0) Trace("hid_init failed");
    }
    ~HidrawBackend() override { hid_exit(); }

    bool Enumerate(std::vector<std::string>& paths) override {
        paths.clear();
        std::vector<NodeInfo> nodes = ListNodes();
        for (const NodeInfo& info : nodes)
            for (size_t collection = 0; collection < info.collectionCount; ++collection)
                paths.push_back(PathOf(info, collection));
        std::lock_guard lock(mutex_);
        known_ = std::move(nodes);
        return true;
    }

    HidOpened Open(const std::string& path, const HidOpenMode& mode) override {
        const std::string node = path.substr(0, path.find('#'));
        if (!NodeExists(node)) return HidOpened::Failure(HidOpenError::NotPresent, "the device is gone");
        std::optional<NodeInfo> found = KnownNode(node);
        if (!found) {
            // Not seen by the last listing: list again (a path given by hand, or a new device).
            std::vector<std::string> ignored;
            Enumerate(ignored);
            found = KnownNode(node);
            if (!found) return HidOpened::Failure(HidOpenError::NotPresent, "the device is gone");
        }
        NodeInfo& info = *found;
        for (size_t collection = 0; collection < info.collectionCount; ++collection) {
            if (PathOf(info, collection) != path) continue;
            if (!mode.read && !mode.write)
                return HidOpened::Success(std::make_shared<HidrawConnection>(std::move(info), static_cast<int>(collection), -1, nullptr));
            std::shared_ptr<OwnerLock> owner;
            if (mode.exclusive) {
                OwnerLock::Taken taken = OwnerLock::Take(node);
                if (!taken.lock) {
                    Trace("%s: not taken (%s)", node.c_str(), taken.reason.c_str());
                    return HidOpened::Failure(taken.inUse ? HidOpenError::InUse : HidOpenError::Failed,
                                              taken.inUse ? taken.reason : "the device cannot be locked: " + taken.reason);
                }
                owner = std::move(taken.lock);
            }
            // hidraw has no access modes of its own: a handle can always read and write.
            const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                const int error = errno;
                Trace("%s: cannot open (%s)", node.c_str(), AccessHint(node, error).c_str());
                if (error == EACCES || error == EPERM)
                    return HidOpened::Failure(HidOpenError::NoPermission, AccessHint(node, error));
                return HidOpened::Failure(HidOpenError::Failed, "the device cannot be opened: " + AccessHint(node, error));
            }
            return HidOpened::Success(std::make_shared<HidrawConnection>(std::move(info), static_cast<int>(collection), fd, std::move(owner)));
        }
        return HidOpened::Failure(HidOpenError::NotPresent, "the device is gone");
    }

    std::unique_ptr<HidBusWatch> Watch() override { return UdevBusWatch::Open(); }

private:
    // The node as last listed, while it still carries the same device: the
    // presence check runs ten times a second and must not walk the whole bus.
    std::optional<NodeInfo> KnownNode(const std::string& node) {
        std::lock_guard lock(mutex_);
        for (const NodeInfo& info : known_)
            if (info.node == node && ReadInstance(node) == info.instance && ReadSysfsDescriptor(node) == info.descriptor)
                return info;
        return std::nullopt;
    }

    static std::string PathOf(const NodeInfo& info, size_t collection) {
        return info.node + "#" + info.instance + "#" +
               HidPathKeys(info.attributes.vendorId, info.attributes.productId, info.interfaceNumber,
                           static_cast<int>(collection), info.collectionCount);
    }

    static std::string AccessHint(const std::string& node, int error) {
        struct stat status {};
        if (::stat(node.c_str(), &status) != 0) return "gone";
        if (error == EACCES || error == EPERM)
            return "no permission; install the udev rule so the logged-in user may use the device";
        return SystemErrorText(error);
    }

    std::mutex mutex_;
    std::vector<NodeInfo> known_;  // guarded by mutex_
};

}  // namespace

std::shared_ptr<HidBackend> MakeHidrawBackend() { return std::make_shared<HidrawBackend>(); }

}  // namespace velnor7
