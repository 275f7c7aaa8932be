// Device paths come from the bus and from whatever a backend makes of it.
#include "core/DeviceCatalogue.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    velnor7::DeviceSlotList slots = velnor7::MakeDeviceSlotList();
    velnor7::DeviceIdentity identity = velnor7::IdentityFromPath(path);
    if (velnor7::IsCandidate(slots, identity)) {
        identity.usagePage = 0xFF1C;
        identity.usage = 0x92;
        velnor7::AttachToSlot(slots, identity, path);
    }
    return 0;
}
