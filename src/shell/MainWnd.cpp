#include "shell/MainWnd.h"

#include "common/Trace.h"
#include "common/UserNotice.h"
#include "core/page/MpDevicePowerUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "shell/DeviceOptionUI.h"
#include "shell/Languages.h"
#include "shell/SetWnd.h"
#include "shell/ShowMessage.h"
#include "shell/SkinFrame.h"
#include "shell/SkinSettings.h"
#include "shell/UserSettings.h"
#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/FileDialogs.h"
#include "ui/LabelUI.h"
#include "ui/MenuUI.h"
#include "ui/ResourceManager.h"
#include "ui/UiThread.h"
#include "ui/WindowMessages.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace velnor7 {

namespace {

// Set once the user has been told that closing the window leaves the program in the tray.
constexpr const char* kTrayToldKey = "TrayNoticeShown";
const char* const kWebAddress = "https://github.com/velnor7";

// The page kind of a slot's device type: keyboard 0, mouse 1 (2 and 6), mouse pad 2, headset 3.
int KindOfType(int type) {
    switch (type) {
    case kTypeKeyboard: return kKindKeyboard;
    case kTypeMouse:
    case kTypeWirelessMouse: return kKindMouse;
    case kTypeMousePad: return kKindMousePad;
    case kTypeHeadset: return kKindHeadset;
    default: return -1;
    }
}

}  // namespace

CMainWnd::CMainWnd() = default;

CMainWnd::~CMainWnd() { Shutdown(); }

ui::CControlUI* CMainWnd::CreateControl(const QString& className) {
    // The kinds' page classes take over these names as they arrive; until then a page is
    // the base page.
    if (className == "TessaryKeyboardDevice") return new CTessaryKeyboardDevice;
    if (className == "TessaryMouseDevice" || className == "TessaryMousePadDevice" || className == "TessaryVA6533Device") {
        return new CTessaryUSBDevice;
    }
    return nullptr;
}

void CMainWnd::Initialise() {
    if (initialised_) return;
    initialised_ = true;
    instanceMessage_ = ui::RegisterWindowMessage("VELNOR7");
    forwardMessage_ = ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    claimMessage_ = ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    lightControlMessage_ = ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");

    // 1. Tell the other programs that this one drives the lights.
    const ui::WindowHandle self = GetHWND();
    bus_.SetOnLightControl([self, this](int wParam, int lParam) {
        ui::PostWindowMessage(self, ui::WindowMessage{lightControlMessage_, static_cast<std::uintptr_t>(wParam), lParam, {}});
    });
    bus_.SetOnSleep([this](bool suspending) { OnSleep(suspending); });
    // An installer's report reaches the settings window as the forward message.
    bus_.SetOnInstallerStatus([self, this](int wParam, int lParam) {
        ui::PostWindowMessage(self, ui::WindowMessage{forwardMessage_, static_cast<std::uintptr_t>(wParam), lParam, {}});
    });
    bus_.Connect();
    bus_.BroadcastClaim(1, 1);

    // Notices come from the UI thread, shown at once, and from the device threads, posted.
    SetNoticeSink([self, this](const std::string& text) {
        if (ui::OnUiThread()) ShowNotice(QString::fromStdString(text));
        else ui::PostWindowMessage(self, ui::WindowMessage{kMsgNotice, 0, 0, QString::fromStdString(text)});
    });

    // 2. The language and the background.
    SwitchLanguage(CLanguages::LoadLanguageChoice());
    CLanguages::FillLanguageCombo(FindControlAs<ui::CComboUI>("Language_combox"), languageIndex_);
    CSkinObserver::Instance().AddReceiver(this);
    if (const std::optional<SkinChangedParam> skin = LoadSkinChoice()) Receive(*skin);
    if (ui::CControlUI* skinButton = FindControl("skinbtn")) skinButton->SetVisible(true);

    // 3. and 4. The slots and one page per kind.
    slots_ = MakeDeviceSlotList();
    for (const DeviceTypeRow& row : DeviceTypeTable) {
        const int slot = FindSupportedRow(row.keyVid, row.keyPid, row.keyType, row.keyRole);
        if (slot >= 0) BuildDevicePage(slot, row.keyRole);
    }
    ShowEntry(-1, false, false);

    // 5. The screen; the window stays hidden until discovery's first scan is done.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        screenWidth_ = screen->geometry().width();
        screenHeight_ = screen->geometry().height();
    }
    ShowWindow(false);
    FitWindow();

    if (!tray_.Create(self, kMsgTray, QIcon(ui::CResourceManager::Instance().SkinFile("common/app_icon.svg")),
                      "VELNOR7")) {
        Trace("main window: without a tray icon, closing the window minimises it");
    }

    // 6. The threads.
    std::vector<CTessaryUSBDevice*> all;
    for (const auto& kind : pages_) all.insert(all.end(), kind.begin(), kind.end());
    lightSync_ = std::make_unique<CLightSync>(all);
    discovery_ = std::make_unique<CDeviceDiscovery>(slots_, *this);
    discovery_->Start();
    lightSync_->StartThread();
}

bool CMainWnd::BuildDevicePage(int slot, int role) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return false;
    const DeviceIdentity identity = slots_[static_cast<size_t>(slot)];
    const int pageType = identity.type == kTypeWirelessMouse ? static_cast<int>(kTypeMouse) : static_cast<int>(identity.type);
    DeviceIdentity lookup = identity;
    if (identity.type == kTypeWirelessMouse && identity.reserved1 != 0 && identity.reserved2 < slots_.size()) {
        lookup = slots_[identity.reserved2];
    }
    const int row = FindDeviceTypeRow(lookup.vid, lookup.pid, static_cast<uint16_t>(pageType), static_cast<uint16_t>(role));
    if (row < 0) return false;
    const DeviceTypeRow& typeRow = DeviceTypeTable[static_cast<size_t>(row)];
    const DevicePageRow& pageRow = DevicePageTable[static_cast<size_t>(row)];

    auto* powerSwitch = FindControlAs<ui::CTabLayoutUI>("device_power_switch");
    auto* deviceSwitch = FindControlAs<ui::CTabLayoutUI>("device_switch");
    auto* selectLayout = FindControlAs<ui::CContainerUI>("device_select_layout");
    if (powerSwitch == nullptr || deviceSwitch == nullptr || selectLayout == nullptr) return false;

    auto* power = dynamic_cast<CMpDevicePowerUI*>(
        ui::CDialogBuilder().Create("XML/CustomControlXML/MpDevicePower.xml", this, &m_pm));
    auto* entry = dynamic_cast<CDeviceOptionUI*>(ui::CDialogBuilder().Create(typeRow.selectorXml, this, &m_pm));
    Trace("12312312312312323123123");
    auto* page = dynamic_cast<CTessaryUSBDevice*>(ui::CDialogBuilder().Create(pageRow.pageXml, this, &m_pm));
    if (power == nullptr || entry == nullptr || page == nullptr) {
        Trace("main window: the page of %s cannot be built", typeRow.typeName);
        delete power;
        delete entry;
        delete page;
        return false;
    }

    powerSwitch->Add(power);
    power->SetKind(pageType);
    power->SetPanelShown(pageRow.powerPanel != 0);
    powerPanels_.push_back(power);

    page->SetPageXml(pageRow.pageXml);
    page->SetMainWindow(GetHWND());
    page->SetKeyCount(pageRow.keyCount);
    page->SetLedCount(pageRow.ledCount);
    page->SetHasPowerPanel(pageRow.powerPanel != 0);
    page->SetProfileId(profileId_);
    page->SetTypeName(typeRow.typeName);
    page->SetPowerPanel(power);
    page->SetIdentity(identity);
    page->SetKindIndex(typeRow.kindIndex);
    page->SetLightFileStem(pageRow.lightFileStem);
    page->InitPage();
    deviceSwitch->Add(page);
    pages_[static_cast<size_t>(typeRow.kindIndex)].push_back(page);

    selectLayout->Add(entry);
    entries_.push_back(entry);
    entry->ShowSyncMark(false);
    entry->SetGroup(typeRow.tabName);
    entry->BindTab("device_switch", deviceSwitch->GetItemIndex(page));
    entry->SetPowerTab(typeRow.powerTabName, powerSwitch->GetItemIndex(power));
    entry->SetDeviceType(pageType, role);
    entry->SetVisible(false);
    entry->SetDeviceName(typeRow.typeName);
    entry->BindPage(page);
    entry->SetPreviewControl(page->GetSelectPanel());
    return true;
}

CDeviceOptionUI* CMainWnd::Entry(int index) const {
    return index >= 0 && index < EntryCount() ? entries_[static_cast<size_t>(index)] : nullptr;
}

int CMainWnd::EntryOf(const CTessaryUSBDevice* page) const {
    for (int i = 0; i < EntryCount(); ++i) {
        if (entries_[static_cast<size_t>(i)]->GetPage() == page) return i;
    }
    return -1;
}

void CMainWnd::ShowPowerTab(CDeviceOptionUI* entry) {
    auto* power = FindControlAs<ui::CTabLayoutUI>(entry->GetPowerTabName());
    if (entry->GetPowerTabName().isEmpty() || power == nullptr) return;
    if (entry->GetPowerIndex() < 0) {
        power->SetVisible(false);
    } else {
        power->SetVisible(true);
        power->SelectItem(entry->GetPowerIndex());
    }
}

void CMainWnd::ShowEntry(int index, bool show, bool select) {
    if (CDeviceOptionUI* entry = Entry(index)) {
        entry->SetVisible(show);
        bool selectTab = select;
        if (select) {
            auto* tabs = FindControlAs<ui::CTabLayoutUI>(entry->GetTabLayoutName());
            if (entry->GetTabLayoutName().isEmpty() || entry->GetTabIndex() < 0 || tabs == nullptr) {
                selectTab = false;
            } else {
                tabs->SelectItem(entry->GetTabIndex());
                ShowPowerTab(entry);
            }
        }
        if (!select || selectTab) entry->Select(select);
    }
    int shown = 0;
    int marked = 0;
    for (CDeviceOptionUI* entry : entries_) {
        if (!entry->IsShown()) continue;
        ++shown;
        if (entry->IsSyncMarked()) ++marked;
    }
    if (ui::CControlUI* noDevice = FindControl("No_device_Link")) noDevice->SetVisible(shown == 0);
    if (shown == 0) {
        if (auto* power = FindControlAs<ui::CTabLayoutUI>("device_power_switch")) power->SelectItem(0);
        if (auto* devices = FindControlAs<ui::CTabLayoutUI>("device_switch")) devices->SelectItem(0);
    }
    TellLightPanels(shown > 1);
    if (marked < 2) {
        for (CDeviceOptionUI* entry : entries_) entry->SetSyncMark(false);
    }
}

void CMainWnd::HideEntry(int index) {
    CDeviceOptionUI* entry = Entry(index);
    if (entry == nullptr) return;
    int other = -1;
    if (entry->IsShown() && entry->IsSelected()) {
        // A recording on the page that goes away ends, or its capture would hold the keyboard
        // with no stop button left to click.
        macroPanel_.StopRecording();
        if (panelsIdle_) {
            ui::SendWindowMessage(GetHWND(), ui::WindowMessage{kMsgHook, 0, 0, {}});
            SetPanelsIdle(true, true);
        }
        for (int i = 0; i < EntryCount() && other < 0; ++i) {
            if (i != index && entries_[static_cast<size_t>(i)]->IsShown()) other = i;
        }
    }
    ShowEntry(index, false, false);
    if (other >= 0) ShowEntry(other, true, true);
}

CTessaryUSBDevice* CMainWnd::SelectedPage() {
    for (CDeviceOptionUI* entry : entries_) {
        if (entry->IsShown() && entry->IsSelected()) return entry->GetPage();
    }
    return nullptr;
}

CMainWnd::VisibleEntries CMainWnd::FirstVisibleEntry() {
    VisibleEntries result;
    for (int i = 0; i < EntryCount(); ++i) {
        if (!entries_[static_cast<size_t>(i)]->IsShown()) continue;
        if (!result.found) result.first = i;
        result.found = true;
        ++result.count;
    }
    return result;
}

void CMainWnd::TellLightPanels(bool several) {
    for (const auto& kind : pages_) {
        for (CTessaryUSBDevice* page : kind) {
            page->SetSeveralDevicesShown(several);
            if (!several) page->CommandChannel().SetSynced(false);
        }
    }
}

void CMainWnd::SetPanelsIdle(bool includeSelector, bool idle) {
    CTessaryUSBDevice* page = SelectedPage();
    if (includeSelector) {
        if (ui::CControlUI* selector = FindControl("device_select_layout")) selector->SetEnabled(idle);
        if (page != nullptr) {
            if (ui::CControlUI* profileBar = page->FindSubControl("device_profile_layout")) profileBar->SetEnabled(idle);
        }
    }
    if (page != nullptr) {
        for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) {
            if (ui::CControlUI* button = page->FindSubControl(name)) button->SetEnabled(!idle);
        }
    }
    panelsIdle_ = idle;
}

void CMainWnd::DeviceArrived(int slot) {
    ui::SendWindowMessage(GetHWND(), ui::WindowMessage{kMsgArrival, static_cast<std::uintptr_t>(slot), 0, {}},
                          &shuttingDown_);
}

void CMainWnd::DeviceRemoved(int slot) {
    ui::SendWindowMessage(GetHWND(), ui::WindowMessage{kMsgRemoval, static_cast<std::uintptr_t>(slot), 0, {}},
                          &shuttingDown_);
}

void CMainWnd::DeviceRefused(const std::string& path) {
    UserNotice("A VELNOR7 device was found at " + path +
               " but cannot be opened: this user may not use it. Install the udev rule (see README, "
               "\"Using a real device without root\") and plug the device in again.");
}

void CMainWnd::FirstScanDone() { ui::PostWindowMessage(GetHWND(), ui::WindowMessage{instanceMessage_, 0, 0, {}}); }

void CMainWnd::OnArrival(int slot) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return;
    const DeviceIdentity identity = slots_[static_cast<size_t>(slot)];
    const int kind = KindOfType(identity.type);
    if (kind < 0) return;
    static const char* const kArrivalTraces[] = {"添加一个键盘设备", "添加一个鼠标设备", "添加一个鼠标垫设备", nullptr};
    if (kArrivalTraces[kind] != nullptr) Trace("%s", kArrivalTraces[kind]);

    if (identity.role == kRoleCommand) {
        for (CTessaryUSBDevice* page : pages_[static_cast<size_t>(kind)]) {
            if (!SameIdentity(page->GetIdentity(), identity) || page->CommandChannel().IsOpen()) continue;
            if (!page->AttachCommandInterface(identity)) {
                // The entry still shows the device; the user learns why it does not respond.
                TellAttachFailure(*page, kind, identity);
            } else if (kind == kKindMouse) {
                page->CommandChannel().SetSlowMode(identity.type == kTypeWirelessMouse);
            }
            const int entry = EntryOf(page);
            ShowEntry(entry, true, !FirstVisibleEntry().found);
            if (CDeviceOptionUI* option = Entry(entry)) option->StartDevice();
            break;
        }
    } else if (identity.role == kRoleConsumer) {
        for (CTessaryUSBDevice* page : pages_[static_cast<size_t>(kind)]) {
            const DeviceIdentity own = page->GetIdentity();
            if (page->ConsumerChannel().IsOpen() || own.vid != identity.vid || own.pid != identity.pid ||
                own.type != identity.type) {
                continue;
            }
            page->OpenConsumerInterface(identity.path);
            break;
        }
    }
    // The arrivals of the first scan only prepare the window: it shows once, when that scan
    // has decided what it shows.
    if (firstScanDone_) BringToFront();
}

void CMainWnd::TellAttachFailure(CTessaryUSBDevice& page, int kind, const DeviceIdentity& identity) {
    static const char* const kKindNames[] = {"keyboard", "mouse", "mouse pad", "headset"};
    const CHidDevice& transport = page.CommandChannel().Transport();
    if (transport.OpenError() == HidOpenError::InUse) {
        // Another program drives the device: it is not fought over, only taken once let go.
        if (waitingForOwner_.insert_or_assign(&page, identity).second) {
            UserNotice(std::string("The ") + kKindNames[kind] + " is " + transport.OpenFailure() +
                       ". VELNOR7 leaves it alone and takes it over as soon as that program lets go of it.");
        }
        SetTimer(kTimerOwnerRetry, kOwnerRetryMs);
        return;
    }
    UserNotice(std::string("The ") + kKindNames[kind] + " at " + identity.path +
               " cannot be opened for configuration: " + transport.OpenFailure() +
               ". If this user may not write to it, install the udev rule (see README) and plug it in again.");
}

void CMainWnd::RetryWaitingForOwner() {
    for (auto waiting = waitingForOwner_.begin(); waiting != waitingForOwner_.end();) {
        CTessaryUSBDevice* page = waiting->first;
        const DeviceIdentity identity = waiting->second;
        if (!page->CommandChannel().IsOpen() && !page->AttachCommandInterface(identity)) {
            const bool stillTaken = page->CommandChannel().Transport().OpenError() == HidOpenError::InUse;
            waiting = stillTaken ? std::next(waiting) : waitingForOwner_.erase(waiting);
            continue;
        }
        waiting = waitingForOwner_.erase(waiting);
        Trace("main window: %s is free again and taken over", identity.path.c_str());
        if (CDeviceOptionUI* option = Entry(EntryOf(page))) option->StartDevice();
    }
    if (waitingForOwner_.empty()) KillTimer(kTimerOwnerRetry);
}

void CMainWnd::OnRemoval(int slot) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return;
    const DeviceIdentity identity = slots_[static_cast<size_t>(slot)];
    const int kind = KindOfType(identity.type);
    if (kind < 0) return;
    static const char* const kRemovalTraces[] = {"删除一个键盘设备", "删除一个鼠标设备", "删除一个鼠标垫设备", nullptr};
    if (kRemovalTraces[kind] != nullptr) Trace("%s", kRemovalTraces[kind]);

    for (CTessaryUSBDevice* page : pages_[static_cast<size_t>(kind)]) {
        const DeviceIdentity own = page->GetIdentity();
        if (identity.role == kRoleCommand && SameIdentity(own, identity)) {
            waitingForOwner_.erase(page);
            page->DetachCommandInterface();
            HideEntry(EntryOf(page));
            break;
        }
        if (identity.role == kRoleConsumer && page->ConsumerChannel().IsOpen() && own.vid == identity.vid &&
            own.pid == identity.pid && own.type == identity.type) {
            page->CloseConsumerInterface();
            break;
        }
    }
}

void CMainWnd::BringToFront() {
    if (ui::CControlUI* noDevice = FindControl("No_device_Link")) noDevice->SetVisible(!FirstVisibleEntry().found);
    QWidget* window = GetWidget();
    if (window == nullptr) return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void CMainWnd::ShowNotice(const QString& text) {
    ui::CControlUI* strip = FindControl("notice_layout");
    ui::CControlUI* label = FindControl("notice_text");
    if (strip == nullptr || label == nullptr) return;
    // The last few notices stay in view (one told again moves to the end), so that one
    // arriving right after another does not hide it.
    constexpr size_t kShownNotices = 3;
    constexpr int kStripPadding = 12;
    constexpr int kNoticeHeight = 38;  // room for a notice wrapped onto two lines
    if (text.isEmpty()) {
        notices_.clear();
    } else {
        notices_.removeAll(text);
        notices_.append(text);
        while (static_cast<size_t>(notices_.size()) > kShownNotices) notices_.removeFirst();
    }
    const QString shown = notices_.join('\n');
    label->SetText(shown);
    label->SetToolTip(shown);
    strip->SetFixedHeight(kStripPadding + kNoticeHeight * static_cast<int>(notices_.size()));
    strip->SetVisible(!notices_.isEmpty());
}

QString CMainWnd::NoticeText() {
    ui::CControlUI* strip = FindControl("notice_layout");
    ui::CControlUI* label = FindControl("notice_text");
    return strip != nullptr && label != nullptr && strip->IsVisible() ? label->GetRawText() : QString();
}

void CMainWnd::FitWindow() {
    QWidget* window = GetWidget();
    if (window == nullptr) return;
    const bool wasVisible = window->isVisible();
    if (window->isMinimized()) window->showNormal();
    // At 100 % the window takes its layout's size, which holds the whole on-screen keyboard.
    SetDPI(96);
    CenterWindow();
    window->setVisible(wasVisible);
}

template <class Visit>
void CMainWnd::ForEachLitPage(Visit&& visit) {
    for (int kind : {kKindKeyboard, kKindMouse, kKindMousePad}) {
        for (CTessaryUSBDevice* page : pages_[static_cast<size_t>(kind)]) visit(page);
    }
}

void CMainWnd::SetLightControl(bool on) {
    lightControl_ = on;
    if (ui::CControlUI* status = FindControl("control_light_status")) status->SetText(on ? "控制灯光" : "不控制灯光");
    ForEachLitPage([on](CTessaryUSBDevice* page) { page->SetLightOutput(on); });
}

void CMainWnd::ToggleLightControl() {
    bus_.BroadcastClaim(1, lightControl_ ? 0 : 1);
    SetLightControl(!lightControl_);
}

void CMainWnd::OnLightControlMessage(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != 1 || (lParam != 0 && lParam != 1)) return;
    SetLightControl(lParam == 1);
}

void CMainWnd::OnSleep(bool suspending) {
    awake_ = !suspending;
    const bool output = !suspending && lightControl_;
    ForEachLitPage([output](CTessaryUSBDevice* page) { page->SetLightOutput(output); });
}

void CMainWnd::HideWindowOrMinimise() {
    QWidget* window = GetWidget();
    if (window == nullptr) return;
    // Without a tray icon a hidden window could not be brought back.
    if (!tray_.IsShown()) {
        window->showMinimized();
        return;
    }
    window->hide();
    // The first time, the user learns where the program went (and that it still runs).
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    if (settings && !settings->value(kTrayToldKey, false).toBool()) {
        tray_.ShowMessage("VELNOR7", ui::CResourceManager::Instance().TextOrSelf("tray_still_running_text"));
        settings->setValue(kTrayToldKey, true);
    }
}

void CMainWnd::OnTrayClick(std::intptr_t button) {
    if (button == ui::wm::kTrayRightButtonUp) {
        SetTimer(kTimerTrayMenu, 10);
        return;
    }
    if (button != ui::wm::kTrayLeftButtonUp) return;
    if (ui::CControlUI* noDevice = FindControl("No_device_Link")) noDevice->SetVisible(!FirstVisibleEntry().found);
    QWidget* window = GetWidget();
    if (window == nullptr) return;
    if (window->isVisible() && !window->isMinimized()) {
        window->hide();
    } else {
        window->show();
        FitWindow();
        BringToFront();
    }
}

void CMainWnd::OnUserChoseDevice() {
    for (int i = 0; i < EntryCount(); ++i) {
        CDeviceOptionUI* entry = entries_[static_cast<size_t>(i)];
        if (!entry->IsSelected()) continue;
        chosenEntry_ = i;
        ShowPowerTab(entry);
        return;
    }
}

void CMainWnd::OnTimer(int timerId) {
    switch (timerId) {
    case kTimerOwnerRetry:
        RetryWaitingForOwner();
        break;
    case kTimerTrayMenu:
        KillTimer(kTimerTrayMenu);
        ui::CMenuUI::Popup(GetHWND(), "menu.xml", QCursor::pos() - QPoint(0, 50), kMsgMenu);
        break;
    case kTimerProfileSwitch:
        KillTimer(kTimerProfileSwitch);
        if (CTessaryUSBDevice* page = SelectedPage()) profileBar_.SwitchProfile(*page);
        break;
    default:
        break;
    }
}

std::vector<UpdateTargetRow> CMainWnd::UpdateTargets() {
    std::vector<UpdateTargetRow> targets;
    for (size_t k = 0; k < UpdateTargetTable.size(); ++k) {
        UpdateTargetRow row = UpdateTargetTable[k];
        if (row.versionFormat == 0) {
            row.currentVersion = ApplicationVersion();
        } else if (CDeviceOptionUI* entry = Entry(static_cast<int>(k)); entry != nullptr && entry->GetPage() != nullptr) {
            // The firmware of the device behind selector entry k, while it is attached.
            CDeviceCommandChannel& channel = entry->GetPage()->CommandChannel();
            row.currentVersion = channel.IsOpen() ? channel.Transport().Attributes().versionNumber : 0;
        }
        if (row.currentVersion != 0) targets.push_back(row);
    }
    return targets;
}

void CMainWnd::OpenSettings(bool centred) {
    if (settingsWindow_ != 0) return;
    CSetWnd settings;
    settings.Create(this, "SetWnd", ui::CWindowWnd::kFrameless | ui::CWindowWnd::kToolWindow);
    settings.SetDpi(GetDPI());
    settings.SetOwner(GetHWND(), languageIndex_);
    settings.SetUpdateTargets(UpdateTargets());
    QWidget* window = settings.GetWidget();
    if (centred || GetWidget() == nullptr) {
        settings.CenterWindow();
    } else {
        const QRect main = GetWidget()->frameGeometry();
        window->move(main.right() - Scale(30) - window->width(), main.top() + Scale(60));
    }
    settingsWindow_ = settings.GetHWND();
    settings.ShowModal();
    settingsWindow_ = 0;
}

void CMainWnd::SendKeyMap() {
    CTessaryUSBDevice* page = SelectedPage();
    if (page == nullptr) return;
    // Macros first: the key map may name them. Nothing more goes when they did not.
    if (!TellMacroWriteResult(*this, page->WriteMacros())) return;
    // A key map the device did not take has been told to the user, and stays unsent.
    const bool sent = page->WriteKeyMapFromProfile(0) == 1;
    page->SaveProfile();
    if (sent) page->KeyMapSent();
}

void CMainWnd::RestoreDefaultKeys() {
    CTessaryUSBDevice* page = SelectedPage();
    if (page == nullptr || !AskUser(*this, "keyset_restore_all_question")) return;
    std::vector<KeyListEntry> keys = page->KeyAssignments();
    for (KeyListEntry& key : keys) key.current = key.defaults;
    page->StoreKeyAssignments(keys);
    if (page->GetSelectedKey() >= 0) page->SelectKey(page->GetSelectedKey());
    SendKeyMap();
}

void CMainWnd::OnClick(const QString& name) {
    QWidget* window = GetWidget();
    if (name == "closebtn") {
        // The settings window closes with the main window.
        if (settingsWindow_ != 0) ui::PostWindowMessage(settingsWindow_, ui::WindowMessage{ui::wm::kClose, 0, 0, {}});
        HideWindowOrMinimise();
    } else if (name == "setbtn") {
        OpenSettings(false);
    } else if (name == "skinbtn") {
        OpenSkinFrame();
    } else if (name == "key_butt_prosave") {
        SendKeyMap();
    } else if (name == "key_butt_restoreall") {
        RestoreDefaultKeys();
    } else if (name == "webbtn") {
        QDesktopServices::openUrl(QUrl(kWebAddress));
    } else if (name == "notice_close_btn") {
        ShowNotice({});
    } else if (name == "nodevice_ok_btn") {
        if (window != nullptr) window->hide();
    } else if (name == "control_light_status") {
        ToggleLightControl();
    } else if (name == "minbtn") {
        if (window != nullptr) window->showMinimized();
    } else if (name == "maxbtn" || name == "restorebtn") {
        if (window == nullptr) return;
        // The buttons follow in the size message, whatever maximised the window.
        if (name == "maxbtn") window->showMaximized();
        else window->showNormal();
    } else if (name == "deng_same_mode") {
        if (lightSync_) lightSync_->Start(SelectedPage(), screenWidth_, screenHeight_);
    }
}

void CMainWnd::OnItemSelect(ui::TNotifyUI& msg) {
    const QString name = msg.pSender->GetName();
    if (name == "Language_combox") {
        ui::SendWindowMessage(GetHWND(), ui::WindowMessage{kMsgLanguage, msg.wParam, 0, {}});
    }
}

void CMainWnd::OnNotify(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->GetName() : QString();
    if (msg.sType != "timer") {
        Trace("%s", qUtf8Printable(msg.sType));
        Trace("%s", qUtf8Printable(name));
    }
    if (CTessaryUSBDevice* page = initialised_ ? SelectedPage() : nullptr;
        page != nullptr &&
        (page->OnPanelNotify(msg) || profileBar_.OnNotify(*page, msg) || macroPanel_.OnNotify(*page, msg))) {
        return;
    }
    if (msg.sType == "windowinit") {
        Initialise();
    } else if (msg.sType == "click") {
        OnClick(name);
    } else if (msg.sType == "selectchanged" && name == "device_select") {
        OnUserChoseDevice();
    } else if (msg.sType == "itemselect") {
        OnItemSelect(msg);
    }
    if (msg.sType == "selectchanged") WakeFrames();
}

void CMainWnd::WakeFrames() {
    for (CDeviceOptionUI* entry : entries_) entry->WakeFrames();
}

void CMainWnd::SetHovered(bool hovered) {
    hovered_ = hovered;
    ForEachLitPage([hovered](CTessaryUSBDevice* page) { page->SetPreviewActive(hovered); });
    WakeFrames();
}

bool CMainWnd::IsGatedWhileAsleep(unsigned id) const {
    using namespace ui::wm;
    const bool alwaysHandled = id == kActivate || id == kMouseHover || id == kMouseLeave || id == kDestroy ||
                               id == kPowerBroadcast || id == instanceMessage_ || id == forwardMessage_ ||
                               id == lightControlMessage_;
    return !awake_ && !alwaysHandled;
}

long CMainWnd::MessageHandler(const ui::WindowMessage& message, bool& handled) {
    using namespace ui::wm;
    handled = false;
    if (IsGatedWhileAsleep(message.id)) {
        handled = true;
        return 0;
    }
    const unsigned id = message.id;
    if (instanceMessage_ != 0 && id == instanceMessage_) {
        Trace("软件标示 %d，%xd%xd", id, static_cast<unsigned>(message.wParam), static_cast<unsigned>(message.lParam));
        firstScanDone_ = true;
        BringToFront();
        handled = true;
    } else if (lightControlMessage_ != 0 && id == lightControlMessage_) {
        OnLightControlMessage(message.wParam, message.lParam);
        handled = true;
    } else if (macroPanel_.OnHookMessage(id, message.wParam, message.lParam)) {
        handled = true;
    } else if (id == kMsgHook) {
        macroPanel_.OnKeyCaptureRequest(message.wParam == 1);
        handled = true;
    } else if (id == CMacroPanelHandler::kMsgRowMenu) {
        macroPanel_.OnMenuItem(message.text);
        handled = true;
    } else if (id == kMsgArrival) {
        OnArrival(static_cast<int>(message.wParam));
        handled = true;
    } else if (id == kMsgRemoval) {
        OnRemoval(static_cast<int>(message.wParam));
        handled = true;
    } else if (id == kMsgTray) {
        OnTrayClick(message.lParam);
        handled = true;
    } else if (id == kMsgMenu) {
        if (message.text == "exit") {
            Shutdown();
            tray_.Remove();
            CWindowWnd::QuitMessageLoop(0);
        } else if (message.text == "show") {
            OnTrayClick(kTrayLeftButtonUp);
        }
        handled = true;
    } else if (id == kMsgOpenSettings) {
        OpenSettings(true);
        handled = true;
    } else if (id == kMsgUpdateSeen) {
        if (auto* set = FindControlAs<ui::CButtonUI>("setbtn")) set->SetForeImage("common/icons/set.png");  // the update mark goes, the plain icon stays
        handled = true;
    } else if (forwardMessage_ != 0 && id == forwardMessage_) {
        if (settingsWindow_ != 0) ui::PostWindowMessage(settingsWindow_, message);
        handled = true;
    } else if (id == kMsgNotice) {
        ShowNotice(message.text);
        handled = true;
    } else if (id == kMsgShowProgress) {
        if (ui::CControlUI* progress = FindControl("setting_progress")) progress->SetVisible(true);
        handled = true;
    } else if (id == kMsgLanguage) {
        SwitchLanguage(static_cast<int>(message.wParam));
        handled = true;
    } else if (id == kMsgChooseSkinImage) {
        ChooseOwnBackground();
        handled = true;
    } else if (id == kTimer) {
        OnTimer(static_cast<int>(message.wParam));
        handled = true;
    } else if (id == kActivate) {
        active_ = message.wParam != kInactive;
        SetHovered(active_);
    } else if (id == kMouseHover || id == kMouseLeave) {
        Trace(id == kMouseHover ? "鼠标移入" : "鼠标移出");
        if (!active_) SetHovered(id == kMouseHover);
    } else if (id == kShowWindow || id == kSize) {
        // Shown, restored from the taskbar: the pages may be seen again.
        WakeFrames();
        if (id == kSize && message.wParam != kSizeMinimized) {
            const bool maximised = message.wParam == kSizeMaximized;
            if (ui::CControlUI* max = FindControl("maxbtn")) max->SetVisible(!maximised);
            if (ui::CControlUI* restore = FindControl("restorebtn")) restore->SetVisible(maximised);
        }
    } else if (id == kClose) {
        // The desktop's close button: the window goes to the tray, as "closebtn" does.
        HideWindowOrMinimise();
        handled = true;
    } else if (id == kDestroy) {
        Trace("退出测试");
        Shutdown();
    }
    return 0;
}

void CMainWnd::SwitchLanguage(int index) {
    const int before = languageIndex_;
    if (!CLanguages::ApplyLanguage(index, before, &GetPaintManager())) return;
    languageIndex_ = index;
    // The pick may come from the settings window: the caption's list shows it too.
    if (auto* combo = FindControlAs<ui::CComboUI>("Language_combox")) combo->SelectItem(index, false);
    GetWidget()->update();
    if (settingsWindow_ != 0) ui::SendWindowMessage(settingsWindow_, ui::WindowMessage{kMsgLanguage, 0, 0, {}});
    if (initialised_) {
        for (const auto& kind : pages_) {
            for (CTessaryUSBDevice* page : kind) page->ReloadText();
        }
    }
}

void CMainWnd::Receive(const SkinChangedParam& param) {
    ui::CControlUI* root = FindControl("root");
    if (root == nullptr) return;
    if (param.colour) {
        root->SetBkImage({});
        root->SetBkColor(QColor::fromRgba(param.colourValue));
        return;
    }
    // A picture that is gone or is no picture leaves the window as it is.
    if (!IsUsableBackground(param.image)) {
        Trace("skin: %s is not a picture the window can show; the background stays", qUtf8Printable(param.image));
        return;
    }
    root->SetBkColor(QColor(0, 0, 0, 0));
    root->SetBkImage(param.image);
}

void CMainWnd::OpenSkinFrame() {
    ui::CControlUI* button = FindControl("skinbtn");
    if (button == nullptr || button->GetWidget() == nullptr) return;
    QWidget* widget = button->GetWidget();
    CSkinFrame::Open(*this, QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()), kMsgChooseSkinImage);
}

void CMainWnd::ChooseOwnBackground() {
    const QString title = ui::CResourceManager::Instance().TextOrSelf("skin_custom_text");
    const std::optional<QString> file = ui::FileDialogs().OpenFile(GetWidget(), title, "PNG (*.png);;* (*)");
    if (!file || file->isEmpty()) return;
    if (!IsUsableBackground(*file)) {
        Trace("skin: %s is not a picture the window can show; the background stays", qUtf8Printable(*file));
        ShowMessage(this, {}, MessageText("skin_not_a_picture", std::nullopt, *file), GetDPI());
        return;
    }
    ChooseBackground(SkinChangedParam{false, 0, *file});
}

void CMainWnd::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    CSkinObserver::Instance().RemoveReceiver(this);
    if (initialised_) SetNoticeSink(nullptr);
    shuttingDown_.Set();
    if (discovery_) discovery_->Stop();
    if (lightSync_) lightSync_->StopThread();
    for (const auto& kind : pages_) {
        for (CTessaryUSBDevice* page : kind) {
            page->StopLightThread();
            page->CloseConsumerInterface();
            page->DetachCommandInterface();
        }
    }
}

}  // namespace velnor7
