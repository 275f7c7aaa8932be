#pragma once
// The main window: one page, power panel and selector entry per device kind; discovery and
// the lighting synchronisation run beside it; it answers the messages of discovery, of a
// second start, of the tray icon and of the other programs on the desktop.

#include "common/Event.h"
#include "core/DeviceDiscovery.h"
#include "core/page/LightSync.h"
#include "platform/DesktopBus.h"
#include "shell/MacroPanelHandler.h"
#include "shell/ProfileBarHandler.h"
#include "shell/SkinObserver.h"
#include "ui/TrayIcon.h"
#include "ui/WindowImplBase.h"

#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <vector>

namespace velnor7 {

class CDeviceOptionUI;
class CMpDevicePowerUI;
class CTessaryUSBDevice;

class CMainWnd : public ui::WindowImplBase, public IDiscoveryListener, public ISkinReceiver {
public:
    // Window messages.
    static constexpr unsigned kMsgTray = 1025;
    static constexpr unsigned kMsgHook = 1054;
    static constexpr unsigned kMsgMenu = 1145;
    static constexpr unsigned kMsgShowProgress = 3072;
    static constexpr unsigned kMsgLanguage = 3089;
    static constexpr unsigned kMsgArrival = 3090;
    static constexpr unsigned kMsgRemoval = 3091;
    static constexpr unsigned kMsgOpenSettings = 3093;
    static constexpr unsigned kMsgUpdateSeen = 3094;
    static constexpr unsigned kMsgNotice = 3095;  // text: a notice for the user
    static constexpr unsigned kMsgChooseSkinImage = 3096;  // the skin pop-up asks for a picture of the user's
    // Window timers.
    static constexpr int kTimerTrayMenu = 1032;
    static constexpr int kTimerProfileSwitch = 1055;
    static constexpr int kTimerOwnerRetry = 1056;  // runs only while a device is in another program's hands
    static constexpr int kOwnerRetryMs = 1000;
    // Device kinds, by DeviceKindIndex.
    static constexpr int kKinds = 4;

    CMainWnd();
    ~CMainWnd() override;

    QString GetSkinFile() const override { return "XML/main.xml"; }
    QString GetWindowClassName() const override { return "MainWnd"; }
    ui::CControlUI* CreateControl(const QString& className) override;

    // Pages and their selector entries.
    bool BuildDevicePage(int slot, int role);
    void ShowEntry(int index, bool show, bool select);
    void HideEntry(int index);
    CTessaryUSBDevice* SelectedPage();
    struct VisibleEntries {
        bool found = false;
        int first = -1;
        int count = 0;
    };
    VisibleEntries FirstVisibleEntry();
    void TellLightPanels(bool several);
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    CDeviceOptionUI* Entry(int index) const;
    int EntryOf(const CTessaryUSBDevice* page) const;
    const std::vector<CTessaryUSBDevice*>& Pages(int kind) const { return pages_[static_cast<size_t>(kind)]; }
    const DeviceSlotList& Slots() const { return slots_; }

    bool LightControl() const { return lightControl_; }
    bool Awake() const { return awake_; }
    bool PanelsIdle() const { return panelsIdle_; }
    ui::WindowHandle SettingsWindow() const { return settingsWindow_; }
    void SetPanelsIdle(bool includeSelector, bool idle);
    int ScreenWidth() const { return screenWidth_; }
    int ScreenHeight() const { return screenHeight_; }
    void BringToFront();
    // The notice strip under the device bar: the latest notices, until the user closes it.
    void ShowNotice(const QString& text);
    QString NoticeText();
    void FitWindow();
    // What the suspend and resume of the system do.
    void OnSleep(bool suspending);
    CDesktopBus& DesktopBus() { return bus_; }
    CMacroPanelHandler& MacroPanels() { return macroPanel_; }

    // Discovery (on its thread): each returns after the UI thread handled it.
    void DeviceArrived(int slot) override;
    void DeviceRemoved(int slot) override;
    void FirstScanDone() override;
    void DeviceRefused(const std::string& path) override;

    // The window background: a colour, or a picture the window can show (else it stays).
    void Receive(const SkinChangedParam& param) override;
    void OpenSkinFrame();
    int LanguageIndex() const { return languageIndex_; }

protected:
    void OnNotify(ui::TNotifyUI& msg) override;
    long MessageHandler(const ui::WindowMessage& message, bool& handled) override;

private:
    void Initialise();
    void OnArrival(int slot);
    void OnRemoval(int slot);
    // Why a device's command interface could not be taken, told to the user.
    void TellAttachFailure(CTessaryUSBDevice& page, int kind, const DeviceIdentity& identity);
    // The devices another program owned: attached and started once it let go.
    void RetryWaitingForOwner();
    void OnClick(const QString& name);
    // The key assignment panel's "send": macros, then the key map, to the shown page's device.
    void SendKeyMap();
    // Every key of the shown page's profile back to its default function, on the device too.
    void RestoreDefaultKeys();
    void OnItemSelect(ui::TNotifyUI& msg);
    void OnUserChoseDevice();
    void OnTimer(int timerId);
    void OnTrayClick(std::intptr_t button);
    void OnLightControlMessage(std::uintptr_t wParam, std::intptr_t lParam);
    void ToggleLightControl();
    // The flag, its button's text and the output of every lit page.
    void SetLightControl(bool on);
    // Keyboard, mouse and mouse pad pages: the kinds with lights of their own.
    template <class Visit>
    void ForEachLitPage(Visit&& visit);
    void ShowPowerTab(CDeviceOptionUI* entry);
    void HideWindowOrMinimise();
    // Every page that stopped its frames while unseen looks again whether it is seen.
    void WakeFrames();
    // The pointer over the window or the window active: the previews are watched.
    void SetHovered(bool hovered);
    // The settings window: at the main window's right edge, or centred.
    void OpenSettings(bool centred);
    // The update targets with their installed versions; those without one are left out.
    std::vector<UpdateTargetRow> UpdateTargets();
    void Shutdown();
    void ChooseOwnBackground();
    // The language of the list's entry `index`, in every window; the pages word their labels anew.
    void SwitchLanguage(int index);
    bool IsGatedWhileAsleep(unsigned id) const;

    DeviceSlotList slots_;
    std::array<std::vector<CTessaryUSBDevice*>, kKinds> pages_;
    std::vector<CMpDevicePowerUI*> powerPanels_;
    std::vector<CDeviceOptionUI*> entries_;
    std::unique_ptr<CDeviceDiscovery> discovery_;
    std::unique_ptr<CLightSync> lightSync_;
    Event shuttingDown_{Event::Reset::Manual};
    CDesktopBus bus_;
    ui::CTrayIcon tray_;

    unsigned instanceMessage_ = 0;
    unsigned forwardMessage_ = 0;
    unsigned claimMessage_ = 0;
    unsigned lightControlMessage_ = 0;

    bool initialised_ = false;
    bool firstScanDone_ = false;  // the window has been shown after it
    bool lightControl_ = true;
    bool panelsIdle_ = false;
    bool awake_ = true;
    bool active_ = false;
    bool hovered_ = false;
    bool shutDown_ = false;
    int languageIndex_ = -1;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    std::string profileId_;
    int chosenEntry_ = 0;
    ui::WindowHandle settingsWindow_ = 0;
    // Attached once the other program lets go, with what discovery found of them.
    std::map<CTessaryUSBDevice*, DeviceIdentity> waitingForOwner_;
    QStringList notices_;  // shown in the notice strip, oldest first
    CProfileBarHandler profileBar_{*this};
    CMacroPanelHandler macroPanel_{*this};
};

}  // namespace velnor7
