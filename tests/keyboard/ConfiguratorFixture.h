// A keyboard configurator over the simulated keyboard, with a profile made from the shipped
// default profile in a folder of the test's own.
#pragma once

#include "support/SimulatedKeyboard.h"

#include "keyboard/KeyboardConfigurator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace velnor7::testing {

namespace fs = std::filesystem;

inline fs::path ShippedKeyboardProfile() { return fs::path(VELNOR7_SOURCE_DIR) / "DefaultData" / "keyboard.Json"; }

class KeyboardConfiguratorTest : public SimulatedKeyboardTest {
protected:
    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
        folder_ = fs::temp_directory_path() / ("velnor7-kbconf-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        profile_.SetDefaultPath(ShippedKeyboardProfile().string());
        ASSERT_TRUE(profile_.SetProfileFile(folder_.string() + "/", "test"));
        profile_.Load(profile_.GetPath());
        OpenChannel(channel_);
        configurator_ = std::make_unique<CKeyboardConfigurator>(channel_, profile_, folder_);
    }
    void TearDown() override {
        channel_.Transport().Close();
        fs::remove_all(folder_);
        SimulatedKeyboardTest::TearDown();
    }
    int Requests() const { return static_cast<int>(keyboard_->ReceivedRequests().size()); }

    fs::path folder_;
    CDeviceCommandChannel channel_;
    CKeyboardProfiledata profile_;
    std::unique_ptr<CKeyboardConfigurator> configurator_;
};

}  // namespace velnor7::testing
