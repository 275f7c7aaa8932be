#include "core/HidBackend.h"

#include <cstdio>
#include <mutex>

namespace velnor7 {
namespace {

class EmptyBus final : public HidBackend {
public:
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.clear();
        return true;
    }
    HidOpened Open(const std::string&, const HidOpenMode&) override {
        return HidOpened::Failure(HidOpenError::NotPresent, "no such device");
    }
};

std::mutex g_backendMutex;
std::shared_ptr<HidBackend> g_backend;  // guarded by g_backendMutex

}  // namespace

void SetHidBackend(std::shared_ptr<HidBackend> backend) {
    std::lock_guard lock(g_backendMutex);
    g_backend = std::move(backend);
}

std::shared_ptr<HidBackend> CurrentHidBackend() {
    std::lock_guard lock(g_backendMutex);
    if (!g_backend) g_backend = std::make_shared<EmptyBus>();
    return g_backend;
}

std::string HidPathKeys(uint16_t vendorId, uint16_t productId, int interfaceNumber, int collectionIndex,
                        size_t collectionCount) {
    char keys[64];
    int length = std::snprintf(keys, sizeof keys, "vid_%04x&pid_%04x", vendorId, productId);
    if (interfaceNumber >= 0)
        length += std::snprintf(keys + length, sizeof keys - static_cast<size_t>(length), "&mi_%02x", interfaceNumber & 0xFF);
    if (collectionCount > 1)
        std::snprintf(keys + length, sizeof keys - static_cast<size_t>(length), "&col%02x", (collectionIndex + 1) & 0xFF);
    return keys;
}

}  // namespace velnor7
