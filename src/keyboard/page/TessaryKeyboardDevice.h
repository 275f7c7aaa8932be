#pragma once
// The keyboard's page: read out on attach, configured from its profile, read back when it
// reports a change of its own, and its key presses handed to the on-screen preview. The
// keyboard runs its lighting itself: this page streams no frames.

#include "core/page/TessaryUSBDevice.h"
#include "keyboard/KeyboardConfigurator.h"
#include "profiles/CKeyboardProfiledata.h"

#include <functional>
#include <memory>

namespace velnor7 {

class CTessaryKeyboardDevice : public CTessaryUSBDevice {
public:
    CTessaryKeyboardDevice();
    ~CTessaryKeyboardDevice() override;
    QString GetClass() const override;

    // Attach: read-out, profile, custom colours, panels, light record. Nothing is written
    // until the read-out succeeds.
    bool LoadFromDevice() override;
    void DetachCommandInterface() override;
    int LoadProfile() override;
    // Re-reads the profile and the keyboard's light record, then the panels.
    void ReadBackSettings() override;
    int WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight) override;
    int WriteKeyMapFromProfile(int bank) override;
    int WriteMacros() override;
    void SaveProfile() override { profile_.Save(); }
    void SetProfilePaths() override;
    std::string GetProfilePath() const override { return profile_.GetPath(); }

    CKeyboardConfigurator& Configurator() { return *configurator_; }
    CKeyboardProfiledata& Profile() { return profile_; }

    // A key went down or up on the keyboard; the preview follows it.
    using KeyEventHandler = std::function<void(KeyIndex key, bool pressed)>;
    void SetKeyEventHandler(KeyEventHandler handler) { onKeyEvent_ = std::move(handler); }

protected:
    bool StreamsLightFrames() const override { return false; }
    void OnConsumerEvent(uint16_t code) override;

private:
    void TakeLightState();
    // True for success. A failure is traced, and shown to the user unless the page
    // tolerates it (see the definition).
    bool Report(const DeviceResult& result);

    CKeyboardProfiledata profile_;
    std::unique_ptr<CKeyboardConfigurator> configurator_;
    KeyEventHandler onKeyEvent_;
    bool readOutFailed_ = false;  // since the last attach
};

}  // namespace velnor7
