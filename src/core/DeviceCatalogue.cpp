#include "core/DeviceCatalogue.h"

#include <algorithm>
#include <cctype>

namespace velnor7 {

namespace {

DeviceIdentity Row(uint16_t vid, uint16_t pid, uint16_t interfaceNumber, uint16_t collection, uint16_t type,
                   uint16_t role, uint16_t usagePage, uint16_t usage) {
    DeviceIdentity row;
    row.vid = vid;
    row.pid = pid;
    row.interfaceNumber = interfaceNumber;
    row.collection = collection;
    row.type = type;
    row.role = role;
    row.usagePage = usagePage;
    row.usage = usage;
    return row;
}

bool SameLocation(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.vid == b.vid && a.pid == b.pid && a.collection == b.collection && a.interfaceNumber == b.interfaceNumber;
}

bool SameLocationAndUsage(const DeviceIdentity& a, const DeviceIdentity& b) {
    return SameLocation(a, b) && a.usagePage == b.usagePage && a.usage == b.usage;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

uint16_t HexAfterKey(std::string_view path, std::string_view key) {
    if (path.size() < key.size()) return 0;
    for (size_t start = 0; start + key.size() <= path.size(); ++start) {
        bool match = true;
        for (size_t i = 0; i < key.size() && match; ++i)
            match = std::tolower(static_cast<unsigned char>(path[start + i])) == key[i];
        if (!match) continue;
        uint32_t value = 0;
        for (size_t i = start + key.size(); i < path.size(); ++i) {
            const int digit = HexDigit(path[i]);
            if (digit < 0) break;
            value = ((value << 4) | static_cast<uint32_t>(digit)) & 0xFFFF;
        }
        return static_cast<uint16_t>(value);
    }
    return 0;
}

}  // namespace

const std::array<DeviceIdentity, 7> SupportedHidTable = {
    Row(0xF0E1, 0x5004, 1, 4, kTypeKeyboard, kRoleCommand, 0xFF1C, 0x92),
    Row(0xF0E1, 0x5004, 1, 3, kTypeKeyboard, kRoleConsumer, 0x000C, 0x01),
    Row(0, 0, 1, 4, kTypeMouse, kRoleCommand, 0xFF1C, 0x92),
    Row(0, 0, 1, 3, kTypeMouse, kRoleConsumer, 0x000C, 0x01),
    Row(0, 0, 1, 4, kTypeMousePad, kRoleCommand, 0xFF1C, 0x92),
    Row(0, 0, 1, 3, kTypeMousePad, kRoleConsumer, 0x000C, 0x01),
    Row(0, 0, 3, 0, kTypeHeadset, kRoleCommand, 0x000C, 0x01),
};

#define VELNOR7_SELECTOR "XML/CustomControlXML/DeviceOption.xml", "tab_header_device", "device_power_switch"
const std::array<DeviceTypeRow, 4> DeviceTypeTable = {{
    {VELNOR7_SELECTOR, "mouse", 0, 0, kTypeMouse, kRoleCommand, kKindMouse},
    {VELNOR7_SELECTOR, "keyboard", 0xF0E1, 0x5004, kTypeKeyboard, kRoleCommand, kKindKeyboard},
    {VELNOR7_SELECTOR, "MousePad", 0, 0, kTypeMousePad, kRoleCommand, kKindMousePad},
    {VELNOR7_SELECTOR, "HD", 0, 0, kTypeHeadset, kRoleCommand, kKindHeadset},
}};
#undef VELNOR7_SELECTOR

const std::array<DevicePageRow, 4> DevicePageTable = {{
    {6, 7, 0, -1, "XML/DeviceXml/mousedevice.xml", "zelva_light"},
    {126, 126, 0, -1, "XML/DeviceXml/keyboarddevice.xml", "zelva_light"},
    {15, 0, 0, -1, "XML/DeviceXml/mousepaddevice.xml", "zelva_light"},
    {13, 0, 0, -1, "XML/DeviceXml/va6533device.xml", "zelva_light"},
}};

// Model codes of the maker's firmware builds: mouse, keyboard, mouse pad, and
// the application row's joined list of all of them.
const std::array<UpdateTargetRow, 4> UpdateTargetTable = {{
    {1, 1, 0, "ZELVA", "ZM7", "ZM7", "ZM7", ""},
    {1, 1, 0, "ZELVA", "ZK7", "ZK7", "ZK7", ""},
    {2, 1, 0, "ZELVA", "ZP7", "ZP7", "ZP7", ""},
    {0, 1, 0, "ZELVA", "ALL", "ZM7,ZK7,ZP7,ZH7", "AP", "V1000.02"},
}};

bool SameIdentity(const DeviceIdentity& a, const DeviceIdentity& b) {
    return SameLocationAndUsage(a, b) && a.type == b.type && a.role == b.role;
}

uint16_t ParseVendorId(std::string_view path) { return HexAfterKey(path, "vid_"); }
uint16_t ParseProductId(std::string_view path) { return HexAfterKey(path, "pid_"); }
uint16_t ParseInterfaceNumber(std::string_view path) { return HexAfterKey(path, "&mi_"); }
uint16_t ParseCollectionNumber(std::string_view path) { return HexAfterKey(path, "&col"); }

DeviceIdentity IdentityFromPath(std::string_view path) {
    DeviceIdentity identity;
    identity.vid = ParseVendorId(path);
    identity.pid = ParseProductId(path);
    identity.interfaceNumber = ParseInterfaceNumber(path);
    identity.collection = ParseCollectionNumber(path);
    return identity;
}

int FindSupportedRow(uint16_t vid, uint16_t pid, uint16_t type, uint16_t role) {
    for (size_t i = 0; i < SupportedHidTable.size(); ++i) {
        const DeviceIdentity& row = SupportedHidTable[i];
        if (row.vid == vid && row.pid == pid && row.type == type && row.role == role) return static_cast<int>(i);
    }
    return -1;
}

int FindDeviceTypeRow(uint16_t vid, uint16_t pid, uint16_t type, uint16_t role) {
    for (size_t i = 0; i < DeviceTypeTable.size(); ++i) {
        const DeviceTypeRow& row = DeviceTypeTable[i];
        if (row.keyVid == vid && row.keyPid == pid && row.keyType == type && row.keyRole == role)
            return static_cast<int>(i);
    }
    return -1;
}

DeviceSlotList MakeDeviceSlotList() { return DeviceSlotList(SupportedHidTable.begin(), SupportedHidTable.end()); }

bool IsCandidate(const DeviceSlotList& slots, const DeviceIdentity& parsed) {
    const auto matches = [&parsed](const DeviceIdentity& entry) { return SameLocation(entry, parsed); };
    if (std::none_of(SupportedHidTable.begin(), SupportedHidTable.end(), matches)) return false;
    return std::any_of(slots.begin(), slots.end(),
                       [&](const DeviceIdentity& slot) { return matches(slot) && slot.IsFree(); });
}

int AttachToSlot(DeviceSlotList& slots, DeviceIdentity& identity, const std::string& path) {
    const DeviceIdentity* row = nullptr;
    for (const DeviceIdentity& candidate : SupportedHidTable) {
        if (SameLocationAndUsage(candidate, identity)) {
            row = &candidate;
            break;
        }
    }
    if (row == nullptr) return -1;
    identity.type = row->type;
    identity.role = row->role;
    for (size_t i = 0; i < slots.size(); ++i) {
        DeviceIdentity& slot = slots[i];
        if (SameLocationAndUsage(slot, identity) && slot.IsFree()) {
            slot.present = 1;
            slot.path = path;
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace velnor7
