#include "core/DeviceDiscovery.h"

#include "common/Trace.h"

namespace velnor7 {

CDeviceDiscovery::CDeviceDiscovery(DeviceSlotList& slots, IDiscoveryListener& listener)
    : slots_(slots), listener_(listener) {}

CDeviceDiscovery::~CDeviceDiscovery() { Stop(); }

void CDeviceDiscovery::Start() {
    firstScanDone_ = false;
    thread_.Start([this](Event& stop) { Body(stop); });
}

void CDeviceDiscovery::Stop() { thread_.Stop(); }

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

void CDeviceDiscovery::CheckPresence() {
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
    }
}

bool CDeviceDiscovery::Cycle() {
    if (AnySlotFree() && !Scan()) return false;
    CheckPresence();
    return true;
}

void CDeviceDiscovery::Body(Event& stop) {
    while (!stop.Wait(1)) {
        if (!Cycle()) return;
        if (stop.Wait(kCycleMs)) break;
    }
    Trace("抓取设备线程设定退出");
}

}  // namespace velnor7
