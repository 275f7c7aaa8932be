#include "core/DeviceCatalogue.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

constexpr const char* kWindowsStylePath =
    "\\\\?\\HID#VID_F0E1&PID_5004&MI_01&Col04#7&2b3c4d&0&0003#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(DevicePath, KeysAndHexDigitsAreReadInAnyLetterCase) {
    EXPECT_EQ(ParseVendorId(kWindowsStylePath), 0xF0E1);
    EXPECT_EQ(ParseProductId(kWindowsStylePath), 0x5004);
    EXPECT_EQ(ParseInterfaceNumber(kWindowsStylePath), 1);
    EXPECT_EQ(ParseCollectionNumber(kWindowsStylePath), 4);
    const DeviceIdentity lower = IdentityFromPath("/dev/hidraw2#vid_f0e1&pid_5004&mi_0a&col1f");
    EXPECT_EQ(lower.vid, 0xF0E1);
    EXPECT_EQ(lower.interfaceNumber, 0x0A);
    EXPECT_EQ(lower.collection, 0x1F);
}

TEST(DevicePath, AbsentOrEmptyKeysGiveZero) {
    const DeviceIdentity noKeys = IdentityFromPath("/dev/hidraw0");
    EXPECT_EQ(noKeys.vid, 0);
    EXPECT_EQ(noKeys.interfaceNumber, 0);
    EXPECT_EQ(noKeys.collection, 0);
    EXPECT_EQ(ParseInterfaceNumber("vid_f0e1&pid_5004&col03"), 0);
    EXPECT_EQ(ParseCollectionNumber("vid_f0e1&pid_5004&mi_03"), 0);
    EXPECT_EQ(ParseVendorId("vid_&pid_5004"), 0);
    EXPECT_EQ(ParseVendorId(""), 0);
    EXPECT_EQ(ParseVendorId("vid"), 0);
}

TEST(Catalogue, LookupsFindTheKeyboardRowsAndRefuseUnknownKeys) {
    EXPECT_EQ(FindSupportedRow(0xF0E1, 0x5004, kTypeKeyboard, kRoleCommand), 0);
    EXPECT_EQ(FindSupportedRow(0xF0E1, 0x5004, kTypeKeyboard, kRoleConsumer), 1);
    EXPECT_EQ(FindSupportedRow(0, 0, kTypeHeadset, kRoleCommand), 6);
    EXPECT_EQ(FindSupportedRow(0xF0E1, 0x5005, kTypeKeyboard, kRoleCommand), -1);
    EXPECT_EQ(FindDeviceTypeRow(0xF0E1, 0x5004, kTypeKeyboard, kRoleCommand), 1);
    EXPECT_EQ(FindDeviceTypeRow(0, 0, kTypeMouse, kRoleCommand), 0);
    EXPECT_EQ(FindDeviceTypeRow(0, 0, kTypeWirelessMouse, kRoleCommand), -1);
    // Every device type row's page row and supported row agree on the kind.
    for (size_t i = 0; i < DeviceTypeTable.size(); ++i) {
        const DeviceTypeRow& type = DeviceTypeTable[i];
        EXPECT_GE(FindSupportedRow(type.keyVid, type.keyPid, type.keyType, type.keyRole), 0) << type.typeName;
        EXPECT_LE(DevicePageTable[i].ledCount * 3, 512) << "a frame holds at most 170 LEDs";
    }
}

DeviceIdentity Probed(const char* path, uint16_t usagePage, uint16_t usage) {
    DeviceIdentity identity = IdentityFromPath(path);
    identity.usagePage = usagePage;
    identity.usage = usage;
    return identity;
}

TEST(Catalogue, KeyboardCollectionsAttachToTheirOwnSlots) {
    DeviceSlotList slots = MakeDeviceSlotList();
    const char* command = "sim:1#vid_f0e1&pid_5004&mi_01&col04";
    const char* consumer = "sim:1#vid_f0e1&pid_5004&mi_01&col03";
    ASSERT_TRUE(IsCandidate(slots, IdentityFromPath(command)));
    ASSERT_TRUE(IsCandidate(slots, IdentityFromPath(consumer)));

    DeviceIdentity commandId = Probed(command, 0xFF1C, 0x92);
    EXPECT_EQ(AttachToSlot(slots, commandId, command), 0);
    EXPECT_EQ(commandId.type, kTypeKeyboard);
    EXPECT_EQ(commandId.role, kRoleCommand);
    DeviceIdentity consumerId = Probed(consumer, 0x000C, 0x01);
    EXPECT_EQ(AttachToSlot(slots, consumerId, consumer), 1);
    EXPECT_EQ(consumerId.role, kRoleConsumer);
    EXPECT_EQ(slots[0].present, 1);
    EXPECT_EQ(slots[0].path, command);
    EXPECT_EQ(slots[1].path, consumer);
    EXPECT_TRUE(SameIdentity(slots[0], commandId));

    // A second keyboard of the same product waits until the first one leaves.
    const char* second = "sim:2#vid_f0e1&pid_5004&mi_01&col04";
    EXPECT_FALSE(IsCandidate(slots, IdentityFromPath(second)));
    DeviceIdentity secondId = Probed(second, 0xFF1C, 0x92);
    EXPECT_EQ(AttachToSlot(slots, secondId, second), -1);
    slots[0].present = 0;
    slots[0].path.clear();
    EXPECT_TRUE(IsCandidate(slots, IdentityFromPath(second)));
}

TEST(Catalogue, WrongUsageOrLocationIsNeverAttached) {
    DeviceSlotList slots = MakeDeviceSlotList();
    const char* command = "sim:1#vid_f0e1&pid_5004&mi_01&col04";
    // Passes the path test, but the collection reports the consumer page.
    DeviceIdentity wrongUsage = Probed(command, 0x000C, 0x01);
    EXPECT_TRUE(IsCandidate(slots, IdentityFromPath(command)));
    EXPECT_EQ(AttachToSlot(slots, wrongUsage, command), -1);
    EXPECT_EQ(slots[0].present, 0);

    EXPECT_FALSE(IsCandidate(slots, IdentityFromPath("sim:1#vid_f0e1&pid_5004&mi_00")));
    EXPECT_FALSE(IsCandidate(slots, IdentityFromPath("sim:1#vid_f0e1&pid_5004&mi_01&col02")));
    // The zero rows of the other kinds never match a real device.
    EXPECT_FALSE(IsCandidate(slots, IdentityFromPath("/dev/hidraw3#vid_1234&pid_0000&mi_03")));
}

TEST(Catalogue, IdentityComparisonIgnoresPresenceReservedFieldsAndPath) {
    DeviceIdentity a = SupportedHidTable[0];
    DeviceIdentity b = a;
    b.present = 1;
    b.reserved1 = 1;
    b.reserved2 = 4;
    b.path = "x";
    EXPECT_TRUE(SameIdentity(a, b));
    b.role = kRoleConsumer;
    EXPECT_FALSE(SameIdentity(a, b));
    EXPECT_FALSE(SameIdentity(SupportedHidTable[0], SupportedHidTable[2]));
}

}  // namespace
}  // namespace velnor7
