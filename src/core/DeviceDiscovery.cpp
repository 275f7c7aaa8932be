#include "core/DeviceDiscovery.h"

#include "common/Trace.h"

namespace velnor7 {

CDeviceDiscovery::CDeviceDiscovery(DeviceSlotList& slots, IDiscoveryListener& listener)
    : slots_(slots), listener_(listener) {}

CDeviceDiscovery::~CDeviceDiscovery() { Stop(); }

void CDeviceDiscovery::Start() {
    if (thread_.Running()) return;
    firstScanDone_ = false;
    // Made before the first cycle, so that no change between that cycle and the first
    // wait goes unseen.
    watch_ = CurrentHidBackend()->Watch();
    if (!watch_) Trace("the HID bus does not tell of arrivals and removals; it is looked at every %d ms", kCycleMs);
    thread_.Start([this](Event& stop) { Body(stop); });
}

void CDeviceDiscovery::Stop() {
    thread_.Stop(1000, [this] {
        if (watch_) watch_->Wake();
    });
    watch_.reset();
}

bool CDeviceDiscovery::AnySlotFree() const {
    // A row without a vendor ID (a kind this build names no product of) can never be
    // taken; it does not keep the bus scans going.
    for (const DeviceIdentity& slot : slots_) {
        if (slot.IsFree() && slot.vid != 0) return true;
    }
    return false;
}

bool CDeviceDiscovery::Scan() {
    ++enumerations_;
    if (!probe_.Enumerate()) return false;
    std::set<std::string> stillRefused;
    while (const std::optional<std::string> path = probe_.NextPath()) {
        if (!IsCandidate(slots_, IdentityFromPath(*path))) continue;
        if (probe_.Open(*path, true, false, true, false) != 1) {
            // Tried again every cycle, told only once: the user has to act (permissions).
            if (refused_.count(*path) == 0) listener_.DeviceRefused(*path);
            stillRefused.insert(*path);
            continue;
        }
        DeviceIdentity identity = IdentityFromPath(*path);
        identity.vid = probe_.Attributes().vendorId;
        identity.pid = probe_.Attributes().productId;
        identity.usagePage = probe_.Capabilities().usagePage;
        identity.usage = probe_.Capabilities().usage;
        const int slot = AttachToSlot(slots_, identity, *path);
        probe_.Close();
        if (slot >= 0) listener_.DeviceArrived(slot);
    }
    refused_ = std::move(stillRefused);
    if (!firstScanDone_) {
        firstScanDone_ = true;
        listener_.FirstScanDone();
    }
    return true;
}

bool CDeviceDiscovery::CheckPresence() {
    bool removed = false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        DeviceIdentity& slot = slots_[i];
        if (slot.present == 0) continue;
        if (probe_.Open(slot.path, false, false, true, false) == 1) {
            probe_.Close();
            continue;
        }
        slot.present = 0;
        slot.path.clear();
        listener_.DeviceRemoved(static_cast<int>(i));
        removed = true;
    }
    return removed;
}

bool CDeviceDiscovery::Cycle() {
    if (AnySlotFree() && !Scan()) return false;
    // A device pulled out and plugged back in since the last cycle is one change of the
    // bus: its new paths are looked for as soon as its old ones are let go.
    if (CheckPresence() && AnySlotFree() && !Scan()) return false;
    return true;
}

void CDeviceDiscovery::Body(Event& stop) {
    while (!stop.IsSet()) {
        if (!Cycle()) return;
        if (watch_) watch_->Wait(-1);
        else stop.Wait(kCycleMs);
    }
    Trace("抓取设备线程设定退出");
}

}  // namespace velnor7
