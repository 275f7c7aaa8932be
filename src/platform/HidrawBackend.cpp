#include "platform/HidrawBackend.h"

#include "common/Trace.h"
#include "core/HidDescriptor.h"

#include <hidapi/hidapi.h>
#include <sys/stat.h>

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

class HidrawConnection final : public HidConnection {
public:
    HidrawConnection(NodeInfo info, int collectionIndex, hid_device* device)
        : info_(std::move(info)), collectionIndex_(collectionIndex), device_(device) {}
    ~HidrawConnection() override {
        if (device_ != nullptr) hid_close(device_);
    }

    HidAttributes Attributes() const override { return info_.attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return info_.descriptor; }
    int CollectionIndex() const override { return collectionIndex_; }

    int Read(uint8_t* buffer, size_t length, int timeoutMs) override {
        if (device_ == nullptr) return -1;
        return hid_read_timeout(device_, buffer, length, timeoutMs);
    }

    int Write(const uint8_t* data, size_t length) override {
        if (device_ == nullptr) return -1;
        return hid_write(device_, data, length);
    }

    // hidapi cannot wake a read; CHidDevice waits in short slices instead.
    void Interrupt() override {}

private:
    const NodeInfo info_;
    const int collectionIndex_;
    hid_device* const device_;  // null for a presence-only open
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

    std::shared_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) override {
        const std::string node = path.substr(0, path.find('#'));
        if (!NodeExists(node)) return nullptr;
        std::optional<NodeInfo> found = KnownNode(node);
        if (!found) {
            // Not seen by the last listing: list again (a path given by hand, or a new device).
            std::vector<std::string> ignored;
            Enumerate(ignored);
            found = KnownNode(node);
            if (!found) return nullptr;
        }
        NodeInfo& info = *found;
        for (size_t collection = 0; collection < info.collectionCount; ++collection) {
            if (PathOf(info, collection) != path) continue;
            hid_device* device = nullptr;
            if (mode.read || mode.write) {
                // hidraw has no access modes of its own: a handle can always read and write.
                device = hid_open_path(node.c_str());
                if (device == nullptr) {
                    Trace("%s: cannot open (%s)", node.c_str(), AccessHint(node).c_str());
                    return nullptr;
                }
            }
            return std::make_shared<HidrawConnection>(std::move(info), static_cast<int>(collection), device);
        }
        return nullptr;
    }

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

    static std::string AccessHint(const std::string& node) {
        struct stat status {};
        if (::stat(node.c_str(), &status) != 0) return "gone";
        return "no permission; install the udev rule so the logged-in user may use the device";
    }

    std::mutex mutex_;
    std::vector<NodeInfo> known_;  // guarded by mutex_
};

}  // namespace

std::shared_ptr<HidBackend> MakeHidrawBackend() { return std::make_shared<HidrawBackend>(); }

}  // namespace velnor7
