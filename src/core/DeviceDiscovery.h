// Finds supported devices on the HID bus and notices when they leave.
//
// Every cycle: while a slot is free, enumerate the bus and probe every candidate path; a
// probe that attaches to a slot is reported as an arrival. Then every present slot is
// checked with an open without access rights; a slot whose device is gone is freed and
// reported as a removal. The thread runs a cycle at start and then whenever the bus tells
// of a change; only a bus that cannot tell is looked at every 100 ms. The listener is called on the
// discovery thread and returns only when the arrival or removal has been handled (the main
// window opens or closes the page's interfaces meanwhile).
#pragma once

#include "common/WorkerThread.h"
#include "core/DeviceCatalogue.h"
#include "core/HidDevice.h"

#include <atomic>
#include <memory>
#include <set>
#include <string>

namespace velnor7 {

class IDiscoveryListener {
public:
    virtual ~IDiscoveryListener() = default;
    virtual void DeviceArrived(int slot) = 0;
    virtual void DeviceRemoved(int slot) = 0;
    // Once per thread start, after the first complete scan.
    virtual void FirstScanDone() = 0;
    // A supported interface that cannot be opened (no permission, say); told once while
    // the path stays on the bus.
    virtual void DeviceRefused(const std::string& path) = 0;
};

class CDeviceDiscovery {
public:
    static constexpr int kCycleMs = 100;

    // The slot list belongs to the caller; discovery writes `present` and `path` of a slot
    // only before telling the listener about it.
    CDeviceDiscovery(DeviceSlotList& slots, IDiscoveryListener& listener);
    ~CDeviceDiscovery();

    void Start();
    void Stop();
    bool Running() const { return thread_.Running(); }
    // The bus of this run tells of its changes (no cycles without one).
    bool Watching() const { return watch_ != nullptr; }

    // One cycle: the scan (when a slot is free) and the presence check. False when the bus
    // cannot be enumerated, which ends discovery for the run.
    bool Cycle();
    // Enumerations done so far (for the rule that a full slot list enumerates nothing).
    int Enumerations() const { return enumerations_.load(); }

private:
    bool AnySlotFree() const;
    bool Scan();
    // True when a device was found gone.
    bool CheckPresence();
    void Body(Event& stop);

    DeviceSlotList& slots_;
    IDiscoveryListener& listener_;
    CHidDevice probe_;
    std::set<std::string> refused_;  // paths told as refused, while they are listed
    bool firstScanDone_ = false;
    std::atomic<int> enumerations_{0};
    std::unique_ptr<HidBusWatch> watch_;  // of the running thread; null: polled
    WorkerThread thread_;
};

}  // namespace velnor7
