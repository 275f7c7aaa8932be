#include "keyboard/CategoryTables.h"

#include <cstdint>

namespace velnor7 {

namespace {

constexpr KeyCode Consumer(uint16_t usage) {
    return {kCodeConsumer, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
}

constexpr KeyCode CtrlPlus(uint8_t usage) { return {kCodeKeyboardKey, 0x01, usage}; }

}  // namespace

const std::array<KeyCode, 5> MouseButtonTable = {{
    {kCodeMouseButton, 0x01, 0},
    {kCodeMouseButton, 0x04, 0},
    {kCodeMouseButton, 0x02, 0},
    {kCodeMouseButton, 0x10, 0},
    {kCodeMouseButton, 0x08, 0},
}};

const std::array<KeyCode, 3> DpiFunctionTable = {{
    {kCodeDpi, 1, 0},
    {kCodeDpi, 2, 0},
    {kCodeDpi, 3, 0},
}};

const std::array<KeyCode, 3> SystemKeyTable = {{
    {kCodeSystem, 0x01, 0},
    {kCodeSystem, 0x02, 0},
    {kCodeSystem, 0x04, 0},
}};

const std::array<KeyCode, 18> MediaKeyTable = {
    Consumer(0x0183), Consumer(0x00CD), Consumer(0x00B7), Consumer(0x00B6), Consumer(0x00B5), Consumer(0x00EA),
    Consumer(0x00E9), Consumer(0x00E2), Consumer(0x0223), Consumer(0x0227), Consumer(0x0226), Consumer(0x0224),
    Consumer(0x0225), Consumer(0x022A), Consumer(0x0221), Consumer(0x0194), Consumer(0x0192), Consumer(0x018A),
};

const std::array<KeyCode, 11> ComboKeyTable = {
    CtrlPlus(0x12), CtrlPlus(0x11), CtrlPlus(0x1D), CtrlPlus(0x16), CtrlPlus(0x06), CtrlPlus(0x1B),
    CtrlPlus(0x19), CtrlPlus(0x09), CtrlPlus(0x04), CtrlPlus(0x2D), CtrlPlus(0x2E),
};

std::span<const KeyCode> CategoryTable(FunctionCategory category) {
    switch (category) {
    case FunctionCategory::MouseButton: return MouseButtonTable;
    case FunctionCategory::Dpi: return DpiFunctionTable;
    case FunctionCategory::Media: return MediaKeyTable;
    case FunctionCategory::System: return SystemKeyTable;
    case FunctionCategory::ComboKey: return ComboKeyTable;
    default: return {};
    }
}

}  // namespace velnor7
