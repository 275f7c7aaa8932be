// The main window over the simulated bus with the keyboard plugged in, built from the
// shipped skin, with the user's settings and data in a folder of the tests' own.
#pragma once

#include "support/SimulatedKeyboard.h"
#include "support/UiHarness.h"

#include "core/page/TessaryUSBDevice.h"
#include "common/Paths.h"
#include "shell/ControlClasses.h"
#include "shell/DeviceOptionUI.h"
#include "shell/MainWnd.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <memory>

namespace velnor7::testing {

class MainWindowTest : public SimulatedKeyboardTest {
protected:
    static void SetUpTestSuite() {
        // The user's settings and data of these tests stay in a folder of their own.
        static QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        ui::CResourceManager::Instance().SetSkinPath(QString::fromStdString(SkinDirectory()));
        RegisterControlClasses();
    }

    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        // Every test starts as a first start: no profiles, no macros.
        std::error_code error;
        std::filesystem::remove_all(UserDataDirectory(""), error);
    }
    void TearDown() override {
        window_.reset();
        SimulatedKeyboardTest::TearDown();
    }

    // Creates the window as start-up does: initialisation starts discovery, and the window
    // shows itself once the first scan is done.
    void Open() {
        window_ = std::make_unique<CMainWnd>();
        window_->Create(nullptr, "VELNOR7");
        window_->InitialiseHidden();
        ASSERT_TRUE(WaitFor([&] { return window_->EntryCount() == 4; }));
    }

    CTessaryUSBDevice* KeyboardPage() { return window_->Pages(kKindKeyboard).front(); }
    CDeviceOptionUI* KeyboardEntry() { return window_->Entry(window_->EntryOf(KeyboardPage())); }
    bool NoDeviceShown() { return window_->FindControl("No_device_Link")->IsVisible(); }
    int Requests(uint8_t command) const {
        int count = 0;
        for (const auto& request : keyboard_->ReceivedRequests()) count += request[3] == command;
        return count;
    }

    std::unique_ptr<CMainWnd> window_;
};

}  // namespace velnor7::testing
