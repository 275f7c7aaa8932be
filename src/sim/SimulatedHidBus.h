// A HID bus inside the process: emulators are plugged in and pulled out at will
// and appear to CHidDevice exactly as hidraw devices do.
#pragma once

#include "core/HidBackend.h"
#include "sim/VirtualHidDevice.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velnor7 {

class SimulatedHidBus final : public HidBackend, public std::enable_shared_from_this<SimulatedHidBus> {
public:
    // Input reports waiting per open handle; older ones are dropped, as the
    // kernel's hidraw buffer does.
    static constexpr size_t kQueuedReportLimit = 64;

    SimulatedHidBus() = default;
    ~SimulatedHidBus() override;

    // Returns the device's bus number, part of each of its paths.
    int Plug(std::shared_ptr<VirtualHidDevice> device);
    // Pulls a device off the bus; its open handles fail from now on.
    void Unplug(int busNumber);
    void UnplugAll();

    // Opens that ask for read or write access fail while refused, as for a user the
    // device node is not given to; opens that only check presence still work.
    void RefuseAccess(bool read, bool write);

    bool Enumerate(std::vector<std::string>& paths) override;
    HidOpened Open(const std::string& path, const HidOpenMode& mode) override;
    // Plugs and unplugs wake every watch.
    std::unique_ptr<HidBusWatch> Watch() override;

    class Slot;  // one plugged device

    // Arrivals, removals and changes of access, counted under their own lock so that a
    // watch or a device may outlive the bus.
    struct Changes {
        std::mutex mutex;
        std::condition_variable changed;
        uint64_t count = 0;  // guarded by mutex
        void Notify();
    };

private:
    class ChangeWatch final : public HidBusWatch {
    public:
        ChangeWatch(std::shared_ptr<Changes> changes, uint64_t seen) : changes_(std::move(changes)), seen_(seen) {}
        bool Wait(int timeoutMs) override;
        void Wake() override;

    private:
        const std::shared_ptr<Changes> changes_;
        uint64_t seen_;        // guarded by changes_->mutex
        bool woken_ = false;   // guarded by changes_->mutex
    };

    const std::shared_ptr<Changes> changes_ = std::make_shared<Changes>();
    std::mutex mutex_;
    std::vector<std::shared_ptr<Slot>> slots_;  // guarded by mutex_
    int nextBusNumber_ = 1;                     // guarded by mutex_
    HidOpenMode refused_;                       // guarded by mutex_
};

}  // namespace velnor7
