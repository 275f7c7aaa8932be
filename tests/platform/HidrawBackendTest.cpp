#include "core/DeviceCatalogue.h"
#include "core/HidBackend.h"
#include "core/HidDevice.h"
#include "platform/HidrawBackend.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

// Whatever hidraw devices this machine has (often none), every path listed
// parses back to the numbers the catalogue matches on, and opens for presence.
TEST(HidrawBackend, ListedPathsCarryTheCatalogueKeysAndOpenForPresence) {
    SetHidBackend(MakeHidrawBackend());
    CHidDevice device;
    ASSERT_TRUE(device.Enumerate());
    while (const auto path = device.NextPath()) {
        EXPECT_NE(path->find("vid_"), std::string::npos) << *path;
        EXPECT_NE(path->find("pid_"), std::string::npos) << *path;
        CHidDevice probe;
        if (probe.Open(*path, false, false, false, false) == 1) {
            EXPECT_EQ(probe.Attributes().vendorId, ParseVendorId(*path));
            EXPECT_EQ(probe.Attributes().productId, ParseProductId(*path));
        }
    }
    SetHidBackend(nullptr);
}

TEST(HidrawBackend, MissingNodesAndForeignPathsDoNotOpen) {
    const auto backend = MakeHidrawBackend();
    const HidOpenMode presence{};
    for (const char* path : {"/dev/hidraw999#vid_f0e1&pid_5004&mi_01&col04", "/dev/null", ""}) {
        const HidOpened opened = backend->Open(path, presence);
        EXPECT_EQ(opened.connection, nullptr) << path;
        EXPECT_EQ(opened.error, HidOpenError::NotPresent) << path;
        EXPECT_FALSE(opened.reason.empty()) << path;
    }
}

// Arrivals and removals cannot be made here; what can: the watch opens, waits without an
// event, and a stop's wake ends its wait at once and every later one.
TEST(HidrawBackend, TheBusWatchWaitsForChangesAndAWakeEndsItsWaits) {
    const std::unique_ptr<HidBusWatch> watch = MakeHidrawBackend()->Watch();
    if (!watch) GTEST_SKIP() << "no udev monitor can be opened here; discovery polls instead";
    EXPECT_FALSE(watch->Wait(0)) << "nothing was plugged in or pulled out";
    watch->Wake();
    EXPECT_TRUE(watch->Wait(-1)) << "woken";
    EXPECT_TRUE(watch->Wait(-1)) << "and stays woken for the thread's last look at its stop";
}

TEST(HidPathKeys, NamesInterfaceAndCollectionAsTheCatalogueReadsThem) {
    EXPECT_EQ(HidPathKeys(0xF0E1, 0x5004, 1, 3, 4), "vid_f0e1&pid_5004&mi_01&col04");
    EXPECT_EQ(HidPathKeys(0xF0E1, 0x5004, 0, 0, 1), "vid_f0e1&pid_5004&mi_00");
    EXPECT_EQ(HidPathKeys(0x046D, 0xC52B, -1, 0, 1), "vid_046d&pid_c52b") << "no USB interface number known";
    const DeviceIdentity parsed = IdentityFromPath("/dev/hidraw1#" + HidPathKeys(0xF0E1, 0x5004, 1, 3, 4));
    EXPECT_EQ(parsed.collection, 4);
    EXPECT_EQ(parsed.interfaceNumber, 1);
}

}  // namespace
}  // namespace velnor7
