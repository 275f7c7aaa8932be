// The compiled-in catalogue of supported HID interfaces and device kinds, and
// the rules that match a device path found on the bus against it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velnor7 {

constexpr uint16_t kVendorId = 0xF0E1;

// Device type codes.
enum DeviceType : uint16_t {
    kTypeKeyboard = 1,
    kTypeMouse = 2,
    kTypeMousePad = 3,
    kTypeWirelessMouse = 6,  // mouse page; its command channel runs in slow mode
    kTypeHeadset = 7,
};

// Interface role codes.
enum InterfaceRole : uint16_t {
    kRoleCommand = 0,
    kRoleConsumer = 0xFF,
};

enum DeviceKindIndex : int { kKindKeyboard = 0, kKindMouse = 1, kKindMousePad = 2, kKindHeadset = 3 };

struct DeviceIdentity {
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;
    uint16_t type = 0;
    uint16_t role = 0;
    uint16_t present = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    std::string path;

    bool IsFree() const { return present == 0 && path.empty(); }
};

// Identity comparison: every field but present, the reserved fields and the path.
bool SameIdentity(const DeviceIdentity& a, const DeviceIdentity& b);

struct DeviceTypeRow {
    const char* selectorXml;
    const char* tabName;
    const char* powerTabName;
    const char* typeName;
    uint16_t keyVid;
    uint16_t keyPid;
    uint16_t keyType;
    uint16_t keyRole;
    int kindIndex;
};

struct DevicePageRow {
    int ledCount;
    int keyCount;
    int powerPanel;
    int logoLed;  // -1: none
    const char* pageXml;
    const char* lightFileStem;
};

struct UpdateTargetRow {
    int32_t versionFormat;
    int32_t keyNumber;
    int32_t currentVersion;
    const char* vendor;
    const char* model;
    const char* keyPart;
    const char* displayName;
    const char* versionText;
};

extern const std::array<DeviceIdentity, 7> SupportedHidTable;
extern const std::array<DeviceTypeRow, 4> DeviceTypeTable;
extern const std::array<DevicePageRow, 4> DevicePageTable;  // row i belongs to DeviceTypeTable row i
extern const std::array<UpdateTargetRow, 4> UpdateTargetTable;

// Path parsing: the hexadecimal number after the key, found case-insensitively; 0 when absent.
uint16_t ParseVendorId(std::string_view path);
uint16_t ParseProductId(std::string_view path);
uint16_t ParseInterfaceNumber(std::string_view path);
uint16_t ParseCollectionNumber(std::string_view path);
// vid, pid, interfaceNumber and collection of a path; everything else zero.
DeviceIdentity IdentityFromPath(std::string_view path);

int FindSupportedRow(uint16_t vid, uint16_t pid, uint16_t type, uint16_t role);   // -1 when none
int FindDeviceTypeRow(uint16_t vid, uint16_t pid, uint16_t type, uint16_t role);  // -1 when none

using DeviceSlotList = std::vector<DeviceIdentity>;
DeviceSlotList MakeDeviceSlotList();

// Before opening: is there a supported row and a free slot for this path?
bool IsCandidate(const DeviceSlotList& slots, const DeviceIdentity& parsed);

// After opening: identity carries vid and pid from the device attributes,
// interfaceNumber and collection from the path, usagePage and usage from its
// capabilities. On success the matched slot is marked present with the path,
// type and role are filled in, and the slot index is returned; else -1.
int AttachToSlot(DeviceSlotList& slots, DeviceIdentity& identity, const std::string& path);

}  // namespace velnor7
