// What CHidDevice needs of a HID bus: the hidraw backend talks to real devices,
// the simulated bus to emulators. Both present one path per top-level
// collection of each HID interface, carrying "vid_", "pid_", "&mi_" and "&col".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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
    // This process becomes the device's one owner: an open fails while another
    // process owns it, and the ownership ends with the last connection.
    bool exclusive = false;
};

enum class HidOpenError { None, NotPresent, NoPermission, InUse, Failed };

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
    // or the connection cannot read. timeoutMs -1 waits without limit.
    virtual int Read(uint8_t* buffer, size_t length, int timeoutMs) = 0;
    // Returns the bytes written, or -1.
    virtual int Write(const uint8_t* data, size_t length) = 0;
    // Ends a Read waiting in another thread at once (it returns 0), and every
    // later one: an interrupt is the end of the connection's reading, so one
    // that comes just before a read begins is not lost.
    virtual void Interrupt() = 0;
};

// What an open gave: the connection, or why there is none in words a user can act on
// ("in use by velnor7, pid 1234" for InUse, to follow "the device is").
struct HidOpened {
    std::shared_ptr<HidConnection> connection;
    HidOpenError error = HidOpenError::None;
    std::string reason;

    static HidOpened Success(std::shared_ptr<HidConnection> connection) {
        return {std::move(connection), HidOpenError::None, {}};
    }
    static HidOpened Failure(HidOpenError error, std::string reason) { return {nullptr, error, std::move(reason)}; }
};

// Tells of arrivals and removals on the bus, so that it is listed only when
// something changed.
class HidBusWatch {
public:
    virtual ~HidBusWatch() = default;
    // Waits until the bus may have changed or Wake is called (true), or the
    // time-out (milliseconds, -1 = no limit) passes (false).
    virtual bool Wait(int timeoutMs) = 0;
    // Ends the current Wait and every later one.
    virtual void Wake() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every HID collection path present; false when the bus cannot be listed.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // No connection when the path is not present or cannot be opened as asked. A
    // mode without read and write only checks presence and reads the descriptor.
    virtual HidOpened Open(const std::string& path, const HidOpenMode& mode) = 0;
    // Null when this bus cannot tell of changes: its users then list it now and then.
    virtual std::unique_ptr<HidBusWatch> Watch() { return nullptr; }
};

// The bus every CHidDevice uses. Until a program sets one, the bus is empty.
void SetHidBackend(std::shared_ptr<HidBackend> backend);
std::shared_ptr<HidBackend> CurrentHidBackend();

// "&mi_01&col04" style suffix for a backend's paths; the collection part is left
// out when the interface has a single top-level collection.
std::string HidPathKeys(uint16_t vendorId, uint16_t productId, int interfaceNumber, int collectionIndex,
                        size_t collectionCount);

}  // namespace velnor7
