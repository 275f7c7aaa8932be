// A device on the simulated HID bus, seen from the device's side.
//
// An emulator implements this interface; the simulated bus presents each of its
// interfaces to the host exactly as the hidraw backend presents a real one (one
// path per top-level collection, descriptor parsed by the host), so host code
// cannot tell the difference.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velnor7 {

struct VirtualHidInterface {
    uint8_t number = 0;                    // USB interface number
    std::vector<uint8_t> reportDescriptor; // the whole interface's report descriptor
};

// What a plugged device may do towards the host. Valid from Plugged() until Unplugged().
class VirtualHidHostLink {
public:
    virtual ~VirtualHidHostLink() = default;
    // Queues an input report (first byte = report ID when the interface uses IDs)
    // for every host handle open on the interface; as with hidraw, each handle
    // then keeps only the reports of its own collection.
    virtual void SendInputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) = 0;
    // Pulls the device off the bus, as a user would. May be called from inside
    // HandleOutputReport; pending and later host reads and writes then fail.
    virtual void RequestUnplug() = 0;
};

class VirtualHidDevice {
public:
    virtual ~VirtualHidDevice() = default;

    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    virtual uint16_t VersionNumber() const = 0;
    virtual std::vector<VirtualHidInterface> Interfaces() const = 0;

    // The host wrote an output report on one interface. Called on the host's
    // thread, possibly from several threads at once. Return false to make the
    // host's write fail.
    virtual bool HandleOutputReport(uint8_t interfaceNumber, std::span<const uint8_t> report) = 0;

    // A file that stands for the device between processes (its memory, say): a host
    // that opens the device as its one owner locks it. Empty when there is none.
    virtual std::string OwnerFile() const { return {}; }

    virtual void Plugged(VirtualHidHostLink& link) = 0;
    virtual void Unplugged() = 0;
};

}  // namespace velnor7
