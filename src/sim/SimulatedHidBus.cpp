#include "sim/SimulatedHidBus.h"

#include "core/HidDescriptor.h"
#include "platform/files/OwnerLock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>

namespace velnor7 {

namespace {

class SimConnection;

struct ParsedInterface {
    VirtualHidInterface description;
    size_t collectionCount = 0;
};

}  // namespace

// One plugged device: its interfaces and the host handles open on them.
class SimulatedHidBus::Slot final : public VirtualHidHostLink, public std::enable_shared_from_this<Slot> {
public:
    Slot(int busNumber, std::shared_ptr<VirtualHidDevice> device, std::shared_ptr<Changes> changes)
        : busNumber_(busNumber), device_(std::move(device)), changes_(std::move(changes)) {
        for (VirtualHidInterface& description : device_->Interfaces()) {
            const HidDescriptorInfo info =
                ParseHidReportDescriptor(description.reportDescriptor.data(), description.reportDescriptor.size());
            interfaces_.push_back({std::move(description), info.ok ? info.collections.size() : 0});
        }
    }

    int BusNumber() const { return busNumber_; }
    VirtualHidDevice& Device() { return *device_; }
    const std::vector<ParsedInterface>& Interfaces() const { return interfaces_; }
    bool Present() const {
        std::lock_guard lock(mutex_);
        return present_;
    }

    void AppendPaths(std::vector<std::string>& paths) const {
        for (const ParsedInterface& parsed : interfaces_)
            for (size_t collection = 0; collection < parsed.collectionCount; ++collection)
                paths.push_back(PathOf(parsed, collection));
    }

    std::string PathOf(const ParsedInterface& parsed, size_t collection) const {
        return "sim:" + std::to_string(busNumber_) + "#" +
               HidPathKeys(device_->VendorId(), device_->ProductId(), parsed.description.number,
                           static_cast<int>(collection), parsed.collectionCount);
    }

    void Attach(const std::shared_ptr<SimConnection>& connection);
    void Detach();

    void SendInputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) override;
    void RequestUnplug() override;

private:
    // Strong references are taken under the lock and used after it: the last one
    // dropped runs the connection's destructor, which detaches under the lock.
    std::vector<std::shared_ptr<SimConnection>> LiveConnectionsLocked() const;

    const int busNumber_;
    const std::shared_ptr<VirtualHidDevice> device_;
    const std::shared_ptr<Changes> changes_;
    std::vector<ParsedInterface> interfaces_;
    mutable std::mutex mutex_;
    bool present_ = true;                                  // guarded by mutex_
    std::vector<std::weak_ptr<SimConnection>> connections_;  // guarded by mutex_
};

namespace {

class SimConnection final : public HidConnection {
public:
    SimConnection(std::shared_ptr<SimulatedHidBus::Slot> slot, const ParsedInterface& parsed, int collectionIndex,
                  HidOpenMode mode, std::shared_ptr<OwnerLock> owner)
        : slot_(std::move(slot)), interface_(parsed), collectionIndex_(collectionIndex), mode_(mode),
          owner_(std::move(owner)) {}
    ~SimConnection() override { slot_->Detach(); }

    uint8_t InterfaceNumber() const { return interface_.description.number; }

    HidAttributes Attributes() const override {
        VirtualHidDevice& device = slot_->Device();
        return {device.VendorId(), device.ProductId(), device.VersionNumber()};
    }
    const std::vector<uint8_t>& ReportDescriptor() const override { return interface_.description.reportDescriptor; }
    int CollectionIndex() const override { return collectionIndex_; }

    int Read(uint8_t* buffer, size_t length, int timeoutMs) override {
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return gone_ || interrupted_ || !queue_.empty(); };
        if (timeoutMs < 0) arrived_.wait(lock, ready);
        else arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
        // An interrupt ends this read and every later one, as on a real bus.
        if (interrupted_) return 0;
        if (!queue_.empty() && mode_.read) {
            const std::vector<uint8_t> report = std::move(queue_.front());
            queue_.pop_front();
            const size_t copied = std::min(report.size(), length);
            std::memcpy(buffer, report.data(), copied);
            return static_cast<int>(copied);
        }
        if (gone_ || !mode_.read) return -1;
        return 0;
    }

    int Write(const uint8_t* data, size_t length) override {
        if (!mode_.write || !slot_->Present()) return -1;
        const bool accepted = slot_->Device().HandleOutputReport(InterfaceNumber(), std::span(data, length));
        return accepted ? static_cast<int>(length) : -1;
    }

    void Interrupt() override {
        {
            std::lock_guard lock(mutex_);
            interrupted_ = true;
        }
        arrived_.notify_all();
    }

    void Deliver(std::span<const uint8_t> report) {
        {
            std::lock_guard lock(mutex_);
            if (queue_.size() == SimulatedHidBus::kQueuedReportLimit) queue_.pop_front();
            queue_.emplace_back(report.begin(), report.end());
        }
        arrived_.notify_all();
    }

    void MarkGone() {
        {
            std::lock_guard lock(mutex_);
            gone_ = true;
        }
        arrived_.notify_all();
    }

private:
    const std::shared_ptr<SimulatedHidBus::Slot> slot_;
    const ParsedInterface& interface_;
    const int collectionIndex_;
    const HidOpenMode mode_;
    const std::shared_ptr<OwnerLock> owner_;  // held while this process owns the device
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::vector<uint8_t>> queue_;  // guarded by mutex_
    bool gone_ = false;                       // guarded by mutex_
    bool interrupted_ = false;                // guarded by mutex_
};

}  // namespace

std::vector<std::shared_ptr<SimConnection>> SimulatedHidBus::Slot::LiveConnectionsLocked() const {
    std::vector<std::shared_ptr<SimConnection>> live;
    for (const auto& weak : connections_)
        if (auto connection = weak.lock()) live.push_back(std::move(connection));
    return live;
}

void SimulatedHidBus::Slot::Attach(const std::shared_ptr<SimConnection>& connection) {
    std::lock_guard lock(mutex_);
    if (!present_) connection->MarkGone();
    connections_.push_back(connection);
}

// Runs in the connection's destructor, when its own entry has already expired.
void SimulatedHidBus::Slot::Detach() {
    std::lock_guard lock(mutex_);
    std::erase_if(connections_, [](const std::weak_ptr<SimConnection>& weak) { return weak.expired(); });
}

void SimulatedHidBus::Slot::SendInputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) {
    std::vector<std::shared_ptr<SimConnection>> live;
    {
        std::lock_guard lock(mutex_);
        if (!present_) return;
        live = LiveConnectionsLocked();
    }
    for (const auto& connection : live)
        if (connection->InterfaceNumber() == interfaceNumber) connection->Deliver(report);
}

void SimulatedHidBus::Slot::RequestUnplug() {
    std::vector<std::shared_ptr<SimConnection>> live;
    {
        std::lock_guard lock(mutex_);
        if (!present_) return;
        present_ = false;
        live = LiveConnectionsLocked();
    }
    for (const auto& connection : live) connection->MarkGone();
    live.clear();
    device_->Unplugged();
    changes_->Notify();
}

SimulatedHidBus::~SimulatedHidBus() { UnplugAll(); }

int SimulatedHidBus::Plug(std::shared_ptr<VirtualHidDevice> device) {
    std::shared_ptr<Slot> slot;
    {
        std::lock_guard lock(mutex_);
        slot = std::make_shared<Slot>(nextBusNumber_++, std::move(device), changes_);
        slots_.push_back(slot);
    }
    slot->Device().Plugged(*slot);
    changes_->Notify();
    return slot->BusNumber();
}

void SimulatedHidBus::Unplug(int busNumber) {
    std::shared_ptr<Slot> slot;
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(slots_.begin(), slots_.end(),
                                        [busNumber](const auto& s) { return s->BusNumber() == busNumber; });
        if (found == slots_.end()) return;
        slot = *found;
        slots_.erase(found);
    }
    slot->RequestUnplug();
}

void SimulatedHidBus::UnplugAll() {
    std::vector<std::shared_ptr<Slot>> slots;
    {
        std::lock_guard lock(mutex_);
        slots.swap(slots_);
    }
    for (const auto& slot : slots) slot->RequestUnplug();
}

bool SimulatedHidBus::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_)
        if (slot->Present()) slot->AppendPaths(paths);
    return true;
}

void SimulatedHidBus::RefuseAccess(bool read, bool write) {
    {
        std::lock_guard lock(mutex_);
        refused_.read = read;
        refused_.write = write;
    }
    // As udev tells of a node whose permissions changed.
    changes_->Notify();
}

HidOpened SimulatedHidBus::Open(const std::string& path, const HidOpenMode& mode) {
    std::lock_guard lock(mutex_);
    if ((mode.read && refused_.read) || (mode.write && refused_.write))
        return HidOpened::Failure(HidOpenError::NoPermission, "no permission to use the device");
    for (const auto& slot : slots_) {
        if (!slot->Present()) continue;
        for (const ParsedInterface& parsed : slot->Interfaces()) {
            for (size_t collection = 0; collection < parsed.collectionCount; ++collection) {
                if (slot->PathOf(parsed, collection) != path) continue;
                // Processes that share an emulator through its memory file share its ownership too.
                std::shared_ptr<OwnerLock> owner;
                const std::string ownerFile = slot->Device().OwnerFile();
                if (mode.exclusive && (mode.read || mode.write) && !ownerFile.empty()) {
                    OwnerLock::Taken taken = OwnerLock::Take(ownerFile, true);
                    if (!taken.lock)
                        return HidOpened::Failure(taken.inUse ? HidOpenError::InUse : HidOpenError::Failed,
                                              taken.inUse ? taken.reason : "the device cannot be locked: " + taken.reason);
                    owner = std::move(taken.lock);
                }
                auto connection = std::make_shared<SimConnection>(slot, parsed, static_cast<int>(collection), mode,
                                                                  std::move(owner));
                slot->Attach(connection);
                return HidOpened::Success(connection);
            }
        }
    }
    return HidOpened::Failure(HidOpenError::NotPresent, "the device is gone");
}

std::unique_ptr<HidBusWatch> SimulatedHidBus::Watch() {
    std::lock_guard lock(changes_->mutex);
    return std::make_unique<ChangeWatch>(changes_, changes_->count);
}

void SimulatedHidBus::Changes::Notify() {
    {
        std::lock_guard lock(mutex);
        ++count;
    }
    changed.notify_all();
}

bool SimulatedHidBus::ChangeWatch::Wait(int timeoutMs) {
    std::unique_lock lock(changes_->mutex);
    const auto ready = [this] { return woken_ || changes_->count != seen_; };
    bool changed = true;
    if (timeoutMs < 0) changes_->changed.wait(lock, ready);
    else changed = changes_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    seen_ = changes_->count;
    return changed;
}

void SimulatedHidBus::ChangeWatch::Wake() {
    {
        std::lock_guard lock(changes_->mutex);
        woken_ = true;
    }
    changes_->changed.notify_all();
}

}  // namespace velnor7
