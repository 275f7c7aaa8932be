// Finds supported devices on the HID bus and notices when they leave.
//
// Every cycle (100 ms apart on the thread): while a slot is free, enumerate the bus and
// probe every candidate path; a probe that attaches to a slot is reported as an arrival.
// Then every present slot is checked with an open without access rights; a slot whose
// device is gone is freed and reported as a removal. The listener is called on the
// discovery thread and returns only when the arrival or removal has been handled (the main
// window opens or closes the page's interfaces meanwhile).
#pragma once

#include "common/WorkerThread.h"
#include "core/DeviceCatalogue.h"
#include "core/HidDevice.h"

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

    // One cycle: the scan (when a slot is free) and the presence check. False when the bus
    // cannot be enumerated, which ends discovery for the run.
    bool Cycle();
    // Enumerations done so far (for the rule that a full slot list enumerates nothing).
    int Enumerations() const { return enumerations_; }

private:
    bool AnySlotFree() const;
    bool Scan();
    void CheckPresence();
    void Body(Event& stop);

    DeviceSlotList& slots_;
    IDiscoveryListener& listener_;
    CHidDevice probe_;
    std::set<std::string> refused_;  // paths told as refused, while they are listed
    bool firstScanDone_ = false;
    int enumerations_ = 0;
    WorkerThread thread_;
};

}  // namespace velnor7
