#pragma once
// The keyboard's page: read out on attach, configured from its profile, read back when it
// reports a change of its own, and its key presses handed to the on-screen preview. The
// keyboard runs its lighting itself: this page streams no frames.

#include "core/page/LightControlUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "keyboard/KeyboardLighting.h"
#include "keyboard/KeyboardConfigurator.h"
#include "keyboard/KeyboardPreviewRunner.h"
#include "keyboard/page/KeySetControlUI.h"
#include "keyboard/page/KeyboardSettingsPanel.h"
#include "platform/SystemKeyboardRepeat.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/LightNameLists.h"

#include <functional>
#include <memory>

namespace velnor7 {

class CTessaryKeyboardDevice : public CTessaryUSBDevice {
public:
    static constexpr int kLightingTab = 1;  // the function tab of the lighting panel
    static constexpr int kKeyTab = 2;       // the function tab of the key assignment panel
    // The main window's message that arms (1) or ends (0) the key capture.
    static constexpr unsigned kMsgKeyCapture = 1054;
    static constexpr int kMaxBrightness = 5;
    static constexpr int kMaxSpeed = 4;

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
    // The per-key colours of the custom mode, as the profile has them; 1 when written.
    int WriteCustomColours();
    void SaveProfile() override { profile_.Save(); }
    void SetProfilePaths() override;
    // The names of the light modes, areas and the user's light presets, for the lighting panel.
    void LoadLists() override;
    const LightNameLists& LightNames() const { return lightNames_; }
    std::string GetProfilePath() const override { return profile_.GetPath(); }

    CKeyboardConfigurator& Configurator() { return *configurator_; }
    CKeyboardProfiledata& Profile() { return profile_; }

    // The light state is in effect: the preview starts its mode over, with the profile's area
    // effects and light preset; in the custom mode the custom colours go to the keyboard.
    int ReloadLightState() override;
    KeyboardPreviewRunner& Preview() { return preview_; }
    // Where the preview thread reads the time (the steady clock in milliseconds by default).
    void SetPreviewClock(std::function<uint64_t()> clock) { previewClock_ = std::move(clock); }

    // A key went down or up on the keyboard; the preview follows it, and so does the handler.
    using KeyEventHandler = std::function<void(KeyIndex key, bool pressed)>;
    void SetKeyEventHandler(KeyEventHandler handler) { onKeyEvent_ = std::move(handler); }

    // The settings panel: found at InitPage, shown by RefreshPanel, changed by the user
    // through OnPanelNotify.
    void InitPage() override;
    void RefreshPanel() override;
    bool OnPanelNotify(ui::TNotifyUI& msg) override;
    void ReloadText() override;
    // Every key's tooltip (its name, and what it does) and its reassignment mark, from the
    // profile's key list.
    void RefreshKeyLabels();
    void SetKeyTip(int key, const QString& label);
    // The FN key can be painted (lighting tab) but not reassigned (key tab).
    void SetFunctionTab(int tab) override;
    void SetSeveralDevicesShown(bool several) override;
    CLightControlUI* LightPanel() const { return lightPanel_; }
    CMacroControlUI* MacroPanel() const override { return macroPanel_; }
    CKeySetControlUI* KeySetPanel() const { return keySetPanel_; }
    // The key assignment panel shows key `index` (when the profile can be read).
    void SelectKey(int index) override;
    void OnCapturedKey(bool pressed, uint8_t scanCode, bool extended) override;
    void KeyMapSent() override;
    std::vector<KeyListEntry> KeyAssignments() override { return profile_.GetKeyList(); }
    void StoreKeyAssignments(const std::vector<KeyListEntry>& keys) override;
    // Where the key repeat of the settings panel goes (the session's own settings by default).
    void SetSystemRepeat(std::unique_ptr<ISystemKeyboardRepeat> repeat) { systemRepeat_ = std::move(repeat); }

    bool StreamsLightFrames() const override { return false; }
    // Frames only go to the screen: as often as the preview makes them.
    int FramePeriodMs() const override { return KeyboardPreviewRunner::kFrameMs; }

protected:
    void OnConsumerEvent(uint16_t code) override;
    // Runs the preview's passes while the keyboard is attached and not synchronised.
    void LightThreadBody(Event& stop) override;

private:
    // The profile's lists, stages and light state, without starting the preview over.
    void LoadProfileData();
    void TakeLightState();
    // True for success. A failure is traced, and shown to the user unless the page
    // tolerates it (see the definition).
    bool Report(const DeviceResult& result);
    void ApplySettings(const KeyboardSettingsChange& change);
    // The preview takes the light state again; it starts its mode over only when asked.
    void ReloadLight(bool restartPreview);
    // The custom colours as the keyboard shows them, for the preview.
    void ShowCustomColours();
    // What the user asked of the lighting panel.
    void ApplyLightAction(const LightPanelAction& action);
    void ApplyLightChange(const LightingChange& change, bool keepsSync);
    void ChooseCustomSet(int index);
    void FillKeys(const Rgb& colour);
    // Custom mode, lighting tab: the keys take the current colour, and the selected custom
    // set keeps them.
    void PaintKeys(const std::vector<int>& keys);
    void StoreKeyColours();
    // A click on a key, or the end of a drag over keys, while the lighting tab is shown.
    bool OnKeyPaintNotify(const ui::TNotifyUI& msg);
    // What the key assignment panel was told, and the click on a key while it is shown.
    bool OnKeySetNotify(const ui::TNotifyUI& msg);
    // The panel's assignment into the selected key's entry, stored in the profile.
    void StoreSelectedKey();
    // The macro names into the key assignment panel, and the shown key again.
    void FillKeySetMacros();
    // The key's name in the current language; empty for a key without one.
    static QString KeyDisplayName(int key);

    CKeyboardProfiledata profile_;
    std::unique_ptr<CKeyboardConfigurator> configurator_;
    CKeyboardSettingsPanel settingsPanel_;
    std::unique_ptr<ISystemKeyboardRepeat> systemRepeat_ = MakeSystemKeyboardRepeat();
    KeyboardPreviewRunner preview_;
    std::function<uint64_t()> previewClock_;
    KeyEventHandler onKeyEvent_;
    bool readOutFailed_ = false;  // since the last attach
    LightNameLists lightNames_;
    CLightControlUI* lightPanel_ = nullptr;
    CMacroControlUI* macroPanel_ = nullptr;
    CKeySetControlUI* keySetPanel_ = nullptr;
};

}  // namespace velnor7
