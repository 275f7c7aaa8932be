// A simulated bus with the keyboard emulator plugged in, installed as the bus
// every CHidDevice of the test uses.
#pragma once

#include "core/DeviceCommandChannel.h"
#include "core/HidBackend.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velnor7::testing {

class SimulatedKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus_ = std::make_shared<SimulatedHidBus>();
        keyboard_ = std::make_shared<KeyboardEmulator>();
        busNumber_ = bus_->Plug(keyboard_);
        SetHidBackend(bus_);
    }
    void TearDown() override { SetHidBackend(nullptr); }

    // The path of the keyboard's collection whose path ends with the suffix.
    std::string PathEndingWith(const std::string& suffix) const {
        std::vector<std::string> paths;
        bus_->Enumerate(paths);
        for (const std::string& path : paths)
            if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
                return path;
        ADD_FAILURE() << "no path ends with " << suffix;
        return {};
    }
    std::string CommandPath() const { return PathEndingWith("&mi_01&col04"); }
    std::string ConsumerPath() const { return PathEndingWith("&mi_01&col03"); }

    // Opens the channel on the keyboard's command collection, as discovery does.
    void OpenChannel(CDeviceCommandChannel& channel) const {
        std::lock_guard lock(channel.TransportLock());
        ASSERT_EQ(channel.Transport().Open(CommandPath(), true, true, true, false), 1);
        channel.SetOpen(true);
    }

    std::shared_ptr<SimulatedHidBus> bus_;
    std::shared_ptr<KeyboardEmulator> keyboard_;
    int busNumber_ = 0;
};

}  // namespace velnor7::testing
