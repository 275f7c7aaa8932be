// What CHidDevice needs of a HID bus: the hidraw backend talks to real devices,
// the simulated bus to emulators. Both present one path per top-level
// collection of each HID interface, carrying "vid_", "pid_", "&mi_" and "&col".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velnor7 {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

struct HidOpenMode {
    bool read = false;
    bool write = false;
    bool exclusive = false;
};

// One open collection. Read and Write may be called from two threads at once,
// and Interrupt from any thread.
class HidConnection {
public:
    virtual ~HidConnection() = default;

    virtual HidAttributes Attributes() const = 0;
    // The report descriptor of the whole interface and the index (from 0) of the
    // top-level collection this connection was opened on.
    virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
    virtual int CollectionIndex() const = 0;

    // One input report of the interface, whatever collection it belongs to.
    // Returns its length, 0 on time-out or interrupt, -1 when the device is gone
    // or the connection cannot read.
    virtual int Read(uint8_t* buffer, size_t length, int timeoutMs) = 0;
    // Returns the bytes written, or -1.
    virtual int Write(const uint8_t* data, size_t length) = 0;
    // Ends a Read waiting in another thread early (it returns 0).
    virtual void Interrupt() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every HID collection path present; false when the bus cannot be listed.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Null when the path is not present or cannot be opened as asked. A mode
    // without read and write only checks presence and reads the descriptor.
    virtual std::shared_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) = 0;
};

// The bus every CHidDevice uses. Until a program sets one, the bus is empty.
void SetHidBackend(std::shared_ptr<HidBackend> backend);
std::shared_ptr<HidBackend> CurrentHidBackend();

// "&mi_01&col04" style suffix for a backend's paths; the collection part is left
// out when the interface has a single top-level collection.
std::string HidPathKeys(uint16_t vendorId, uint16_t productId, int interfaceNumber, int collectionIndex,
                        size_t collectionCount);

}  // namespace velnor7
