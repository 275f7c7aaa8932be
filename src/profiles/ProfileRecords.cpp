#include "profiles/ProfileRecords.h"

namespace velnor7 {

int32_t PackKeyCode(const KeyCode& code) {
    return static_cast<int32_t>(code.type) << 16 | static_cast<int32_t>(code.p1) << 8 | code.p2;
}

KeyCode UnpackKeyCode(int32_t packed) {
    const auto bits = static_cast<uint32_t>(packed);
    return KeyCode{static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)};
}

}  // namespace velnor7
