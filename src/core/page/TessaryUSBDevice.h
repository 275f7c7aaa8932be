#pragma once
// One kind of device, at once its page in the main window and its connection: two command
// channels (the command interface and the consumer interface), the identity, the lighting
// state, per-LED colours, the on-screen key and light buttons, a light thread that renders
// host effects and a listening thread on the consumer interface.
//
// Threads: the UI thread sets the page up, attaches and detaches it and runs UpdatePreview
// and PollPowerStatus from the selector entry's timers; the light thread and the lighting
// synchronisation write the per-LED colours; the listening thread only reads reports and
// hands work to the UI thread. The lighting state and the per-LED colours are atomics, so
// every reader sees whole values (a frame may still mix two steps).

#include "common/SteadyClock.h"
#include "common/WorkerThread.h"
#include "core/DeviceCatalogue.h"
#include "core/DeviceCommandChannel.h"
#include "core/LedColours.h"
#include "core/LightEffects.h"
#include "core/ReactiveLevels.h"
#include "profiles/ProfileRecords.h"
#include "ui/ContainerUI.h"
#include "ui/WindowMessages.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velnor7 {

class CDeviceKeyButtonUI;
class CDeviceProfileUI;
class CMacroControlUI;

// Where a page shows the power status of its device.
class IPowerPanel {
public:
    virtual ~IPowerPanel() = default;
    // Charge, charging state, ..., byte 3: 1 on a slow (wireless) link.
    virtual void ShowPowerStatus(const std::array<uint8_t, 6>& status) = 0;
};

class CTessaryUSBDevice : public ui::CHorizontalLayoutUI {
public:
    static constexpr int kMaxFrameLeds = 170;  // a 512-byte frame
    static constexpr int kReadBackTimer = 1002;

    CTessaryUSBDevice();
    ~CTessaryUSBDevice() override;
    QString GetClass() const override;

    // Set-up, in the order the main window calls them.
    void SetPageXml(const QString& path) { pageXml_ = path; }
    const QString& GetPageXml() const { return pageXml_; }
    void SetMainWindow(ui::WindowHandle window) { mainWindow_ = window; }
    ui::WindowHandle GetMainWindow() const { return mainWindow_; }
    void SetKeyCount(int count);
    int GetKeyCount() const { return keyCount_; }
    // Resizes and clears the light buttons, per-LED colours and effect states.
    void SetLedCount(int count);
    int GetLedCount() const { return ledCount_; }
    void SetHasPowerPanel(bool has) { hasPowerPanel_ = has; }
    bool HasPowerPanel() const { return hasPowerPanel_; }
    void SetProfileId(const std::string& id) { profileId_ = id; }
    const std::string& GetProfileId() const { return profileId_; }
    void SetTypeName(const std::string& name) { typeName_ = name; }
    const std::string& GetTypeName() const { return typeName_; }
    void SetPowerPanel(IPowerPanel* panel) { powerPanel_ = panel; }
    void SetIdentity(const DeviceIdentity& identity);
    DeviceIdentity GetIdentity() const;
    void SetLightFileStem(const std::string& stem) { lightFileStem_ = stem; }
    const std::string& GetLightFileStem() const { return lightFileStem_; }

    // The selector entry that shows this page; its read-back timer runs ReadBackSettings.
    void SetSelectorEntry(ui::CControlUI* entry) { selectorEntry_ = entry; }
    ui::CControlUI* GetSelectorEntry() const { return selectorEntry_; }

    CDeviceCommandChannel& CommandChannel() { return command_; }
    CDeviceCommandChannel& ConsumerChannel() { return consumer_; }

    // Attach and detach of the command interface (the caller holds nothing).
    bool AttachCommandInterface(const DeviceIdentity& identity);
    // Kinds that keep what they read from the device forget it here.
    virtual void DetachCommandInterface();
    bool OpenConsumerInterface(const std::string& path);
    void CloseConsumerInterface();

    // Files of the kind.
    std::string DefaultProfilePath() const;
    std::string UserDataDirectory() const;

    // Flags shared with the worker threads.
    bool LightOutput() const { return lightOutput_.load(); }
    void SetLightOutput(bool on) { lightOutput_.store(on); }
    bool PreviewActive() const { return previewActive_.load(); }
    void SetPreviewActive(bool on) { previewActive_.store(on); }
    // Whether the page's lights can be seen on screen now (its selector entry keeps this up
    // to date); a kind whose effects only feed the screen pauses them meanwhile.
    bool PreviewSeen() const { return previewSeen_.load(); }
    void SetPreviewSeen(bool seen) {
        if (previewSeen_.exchange(seen) != seen) WakeLightThread();
    }
    // The light thread idles until something it depends on changes; this tells it.
    void WakeLightThread() { lightWake_.Set(); }

    // The lighting state as a whole record (four 32-bit words).
    LightInfoRecord GetLightInfo() const;
    void SetLightInfo(const LightInfoRecord& record);
    void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    LightingState GetLightingState() const;

    // The light thread (started by LoadFromDevice in the device kinds; restarted if started again).
    void StartLightThread();
    void StopLightThread();
    bool LightThreadRunning() const { return lightThread_.Running(); }
    bool ListeningThreadRunning() const { return listenThread_.Running(); }

    CControlUI* GetSelectPanel() const { return selectPanel_; }
    // The page's profile bar, found by InitPage; null for a page without one.
    CDeviceProfileUI* ProfileBar() const { return profileBar_; }
    CDeviceKeyButtonUI* GetKeyButton(int index) const;
    CDeviceKeyButtonUI* GetLightButton(int index) const;

    // The device's virtual operations; the base does what a page without its own does.
    virtual void InitPage();
    virtual int ReloadLightState() { return 0; }
    virtual void BreathingEffect();
    virtual void PaletteBreathingEffect();
    virtual void StaticEffect();
    virtual void SpectrumEffect();
    virtual void FlashEffect();
    virtual void PaletteFlashEffect();
    virtual void LightsOffEffect();
    virtual void UpdatePreview();
    virtual void SetLedColor(int index, uint32_t value);
    virtual uint32_t GetLedColor(int index) const;
    // Attach: reads the device and configures it from the profile. False when the device
    // could not be read; the selector entry then tries again later.
    virtual bool LoadFromDevice() { return true; }
    virtual void ReadBackSettings() {}
    virtual void PollPowerStatus();
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPanel() {}
    virtual void RepairMacroAssignments() {}
    virtual void ReloadProfile() {}
    virtual int WriteKeyAssignments(int bank, const std::vector<uint8_t>& assignments);
    virtual int WriteKeyMapFromProfile(int bank);
    virtual int WriteMacros() { return 0; }
    virtual int WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight);
    virtual void LoadLists() {}
    virtual void RaiseKeyLevel(int key, bool fine);
    virtual void DecayKeyLevel(int key, bool fine);
    virtual void MarkRingKeys();
    virtual void RotateRing(bool forward);
    virtual void ClearKeyLevels();
    virtual void SetFunctionTab(int tab);
    virtual int GetFunctionTab() const { return functionTab_; }
    virtual void SetProfilePaths() {}
    virtual std::string GetProfilePath() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetKindIndex(int index) { kindIndex_ = index; }
    virtual int GetKindIndex() const { return kindIndex_; }
    virtual void SelectKey(int index) { selectedKey_ = index; }
    // Shows a lighting state on the page's light panel (the kinds with a light panel).
    virtual void ShowLightInfo(const LightInfoRecord& record) { (void)record; }
    // Whether the light panel may offer one effect on every device: more than one is shown.
    virtual void SetSeveralDevicesShown(bool several) { severalDevicesShown_ = several; }
    bool SeveralDevicesShown() const { return severalDevicesShown_; }
    int GetSelectedKey() const { return selectedKey_; }
    // The page's macro tab, on the kinds that keep macros.
    virtual CMacroControlUI* MacroPanel() const { return nullptr; }
    // The key assignments of the current profile; storing them keeps them in the model and
    // saves them in the profile file.
    virtual std::vector<KeyListEntry> KeyAssignments() { return {}; }
    virtual void StoreKeyAssignments(const std::vector<KeyListEntry>& keys) { (void)keys; }
    // A key pressed while the key capture of the key assignment panel is armed.
    virtual void OnCapturedKey(bool pressed, uint8_t scanCode, bool extended) {
        (void)pressed;
        (void)scanCode;
        (void)extended;
    }
    // The key map and the macros went to the device: nothing is left unsent.
    virtual void KeyMapSent() {}

    void OnTimer(int timerId) override;
    // A notification of the main window while this page is the one shown; true when one of
    // the page's own panels handled it. The main window asks the page first.
    virtual bool OnPanelNotify(ui::TNotifyUI& msg) {
        (void)msg;
        return false;
    }

    // Per-LED colour entries: red | green << 8 | blue << 16 | brightness << 24.
    LedColours& Leds() { return leds_; }
    // Whether UpdatePreview streams its frame to the device (the keyboard only previews).
    virtual bool StreamsLightFrames() const { return true; }
    // Milliseconds between two frames of the selector entry's frame timer.
    virtual int FramePeriodMs() const { return 20; }
    // Repaints the light buttons whose light changed since they were last repainted; the
    // number repainted.
    int RepaintChangedLights();
    // The last frame UpdatePreview built (3 bytes per LED).
    const std::array<uint8_t, 512>& LastFrame() const { return frame_; }
    ReactiveLevels& KeyLevels() { return keyLevels_; }
    // The clock UpdatePreview times the rest after a refused frame with; tests step their own.
    void SetClock(SteadyClock clock) { clock_ = std::move(clock); }

protected:
    // What differs between the kinds' threads, by DeviceKindIndex (keyboard 0, mouse 1,
    // mouse pad 2, headset 3).
    struct KindThreadTraits {
        int readBackDelayMs;       // after notification 0x401
        bool readBackOn0x403;      // 0x403 asks for a read-back too
        const char* lightExitTrace;
    };
    static const KindThreadTraits& ThreadTraitsOf(int kindIndex);
    // The frames between two steps of a mode at a speed; negative: the mode has no
    // generator on this thread.
    virtual int FrameThreshold(uint8_t mode, uint8_t speed) const;
    // One step of the mode's generator.
    virtual void RunEffect(uint8_t mode);
    // The read-back delay after a notification, in milliseconds; negative: no read-back.
    virtual int ReadBackDelayMs(uint16_t code) const;
    // A notification of the consumer interface that is not a read-back request.
    virtual void OnConsumerEvent(uint16_t code) { (void)code; }
    // Runs on the UI thread soon (from any thread).
    void RunOnUiThread(std::function<void()> work);
    // Writes one colour into every LED.
    void FillLeds(const LedState& led);
    EffectState& Effect() { return effect_; }
    // The light thread: steps the mode's effect at its pace until `stop` is signalled.
    virtual void LightThreadBody(Event& stop);
    // What a light thread does while it has nothing to do: wait for WakeLightThread
    // (or the thread's stop).
    void WaitForLightWork() { lightWake_.Wait(-1); }

private:
    void ListenBody(Event& stop);
    void ScheduleReadBack(int delayMs);

    CDeviceCommandChannel command_;
    CDeviceCommandChannel consumer_;
    mutable std::mutex identityLock_;
    DeviceIdentity identity_;
    QString pageXml_;
    ui::WindowHandle mainWindow_ = 0;
    int keyCount_ = 0;
    int ledCount_ = 0;
    bool hasPowerPanel_ = false;
    int kindIndex_ = 0;
    std::string profileId_;
    std::string typeName_;
    std::string lightFileStem_;
    IPowerPanel* powerPanel_ = nullptr;

    CControlUI* selectPanel_ = nullptr;
    CDeviceProfileUI* profileBar_ = nullptr;
    ui::CControlUI* selectorEntry_ = nullptr;
    std::vector<CDeviceKeyButtonUI*> keyButtons_;
    std::vector<CDeviceKeyButtonUI*> lightButtons_;
    std::vector<CDeviceKeyButtonUI*> changedLights_;  // kept to spare an allocation per frame
    int functionTab_ = 1;
    bool severalDevicesShown_ = false;
    int selectedKey_ = -1;

    std::array<std::atomic<uint32_t>, 4> lightInfo_{};
    LedColours leds_;
    EffectState effect_;  // the light thread's
    ReactiveLevels keyLevels_;
    std::array<uint8_t, 512> frame_{};
    SteadyClock clock_ = SystemSteadyClock();
    std::chrono::steady_clock::time_point sendAgainAt_{};

    std::atomic<bool> lightOutput_{true};
    std::atomic<bool> previewActive_{true};
    std::atomic<bool> previewSeen_{true};
    Event lightWake_{Event::Reset::Automatic};
    WorkerThread lightThread_;
    WorkerThread listenThread_;
    // Read and written on the UI thread only: work posted by a thread checks it first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace velnor7
