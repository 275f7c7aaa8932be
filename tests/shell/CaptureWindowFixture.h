// The main window whose capture of keys and mouse buttons is the test's own input: the test
// presses and clicks through `input_`, as the session would report it.
#pragma once

#include "shell/MainWindowFixture.h"
#include "support/FakeInputCapture.h"

#include "macros/recorder/DeviceHook.h"

#include <memory>

namespace velnor7::testing {

class CaptureWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CDeviceHook::OverrideSessionCapture([this](IInputCapture::Post, IInputCapture::KeyHandler onKey,
                                                   IInputCapture::ButtonHandler onButton) {
            input_->onKey = std::move(onKey);
            input_->onButton = std::move(onButton);
            return std::make_unique<FakeInputCapture>(input_);
        });
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        CDeviceHook::OverrideSessionCapture({});
    }

    std::shared_ptr<FakeInputState> input_ = std::make_shared<FakeInputState>();
};

}  // namespace velnor7::testing
