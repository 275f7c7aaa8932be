#include "core/page/TessaryUSBDevice.h"

#include "common/Paths.h"
#include "common/Trace.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/UiThread.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace velnor7 {

namespace {

// A frame counter that counts a clock tick (or a 1 ms sleep and a 1 ms wait) about every
// 2 ms reaches `threshold` after this long; a threshold of 0 steps on every 1 ms loop.
int StepPeriodMs(int threshold) { return threshold <= 0 ? 1 : 2 * threshold; }

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Index n of a name or user data of the form prefix + n; -1 when it has another form.
int IndexAfter(const QString& text, const QString& prefix) {
    if (!text.startsWith(prefix) || text.size() == prefix.size()) return -1;
    bool ok = false;
    const int n = text.mid(prefix.size()).toInt(&ok, 10);
    return ok && n >= 0 ? n : -1;
}

constexpr uint8_t kNoLedInFrame = 126;  // the frame never carries this LED
constexpr int kSendBackOffMs = 200;

}  // namespace

CTessaryUSBDevice::CTessaryUSBDevice() { command_.NotifySyncChanges(&lightWake_); }

CTessaryUSBDevice::~CTessaryUSBDevice() {
    *alive_ = false;
    StopLightThread();
    CloseConsumerInterface();
    CTessaryUSBDevice::DetachCommandInterface();
}

QString CTessaryUSBDevice::GetClass() const { return "TessaryUSBDevice"; }

void CTessaryUSBDevice::SetKeyCount(int count) {
    keyCount_ = std::max(0, count);
    keyButtons_.assign(static_cast<size_t>(keyCount_), nullptr);
}

void CTessaryUSBDevice::SetLedCount(int count) {
    ledCount_ = std::clamp(count, 0, kMaxFrameLeds);
    lightButtons_.assign(static_cast<size_t>(ledCount_), nullptr);
    leds_.Resize(ledCount_);
    effect_ = EffectState{};
}

void CTessaryUSBDevice::SetIdentity(const DeviceIdentity& identity) {
    std::lock_guard lock(identityLock_);
    identity_ = identity;
}

DeviceIdentity CTessaryUSBDevice::GetIdentity() const {
    std::lock_guard lock(identityLock_);
    return identity_;
}

bool CTessaryUSBDevice::AttachCommandInterface(const DeviceIdentity& identity) {
    std::lock_guard lock(command_.TransportLock());
    command_.Transport().Close();
    // As the device's one owner: no other program writes to it meanwhile, and none is
    // fought with for it.
    if (command_.Transport().Open(identity.path, true, true, true, true) != 1) {
        command_.SetOpen(false);
        return false;
    }
    SetIdentity(identity);
    command_.SetOpen(true);
    WakeLightThread();
    return true;
}

void CTessaryUSBDevice::DetachCommandInterface() {
    command_.SetOpen(false);
    command_.SetSynced(false);
    std::lock_guard lock(command_.TransportLock());
    command_.Transport().Close();
}

bool CTessaryUSBDevice::OpenConsumerInterface(const std::string& path) {
    if (consumer_.IsOpen()) return true;
    // A thread that ended by itself (its device was pulled out) is joined before a new one.
    listenThread_.Stop();
    {
        std::lock_guard lock(consumer_.TransportLock());
        if (consumer_.Transport().Open(path, true, true, true, false) != 1) return false;
        consumer_.SetOpen(true);
    }
    listenThread_.Start([this](Event& stop) { ListenBody(stop); });
    return true;
}

void CTessaryUSBDevice::CloseConsumerInterface() {
    if (!consumer_.IsOpen() && !listenThread_.Running()) return;
    // Closing first wakes a read in progress at once, so the stop below takes no wait.
    {
        std::lock_guard lock(consumer_.TransportLock());
        consumer_.SetOpen(false);
        consumer_.Transport().Close();
    }
    listenThread_.Stop();
}

std::string CTessaryUSBDevice::DefaultProfilePath() const { return DefaultDataDirectory() + typeName_ + ".Json"; }

std::string CTessaryUSBDevice::UserDataDirectory() const { return velnor7::UserDataDirectory(typeName_); }

LightInfoRecord CTessaryUSBDevice::GetLightInfo() const {
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < words.size(); ++i) words[i] = lightInfo_[i].load();
    std::array<uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), words.data(), bytes.size());
    LightInfoRecord record;
    static_assert(sizeof(LightInfoRecord) <= 16);
    std::memcpy(&record, bytes.data(), sizeof(LightInfoRecord));
    return record;
}

void CTessaryUSBDevice::SetLightInfo(const LightInfoRecord& record) {
    std::array<uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), &record, sizeof(LightInfoRecord));
    std::array<uint32_t, 4> words{};
    std::memcpy(words.data(), bytes.data(), bytes.size());
    SetLightInfo(words[0], words[1], words[2], words[3]);
}

void CTessaryUSBDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    lightInfo_[0].store(a);
    lightInfo_[1].store(b);
    lightInfo_[2].store(c);
    lightInfo_[3].store(d);
    WakeLightThread();
}

LightingState CTessaryUSBDevice::GetLightingState() const {
    const LightInfoRecord record = GetLightInfo();
    LightingState state;
    state.mode = record.selectItem;
    state.brightnessLevel = record.light;
    state.speed = record.speed;
    state.direction = record.fx;
    state.colourful = record.multiColor;
    state.colour = Rgb{record.red, record.green, record.blue};
    return state;
}

CDeviceKeyButtonUI* CTessaryUSBDevice::GetKeyButton(int index) const {
    return index >= 0 && index < static_cast<int>(keyButtons_.size()) ? keyButtons_[static_cast<size_t>(index)] : nullptr;
}

CDeviceKeyButtonUI* CTessaryUSBDevice::GetLightButton(int index) const {
    return index >= 0 && index < static_cast<int>(lightButtons_.size()) ? lightButtons_[static_cast<size_t>(index)]
                                                                         : nullptr;
}

void CTessaryUSBDevice::InitPage() {
    if (pageXml_.isEmpty()) {
        SetKeyCount(0);
        SetLedCount(0);
    }
    selectPanel_ = FindSubControl("SelectPanel");
    // The profile bar names the profile the page starts with.
    profileBar_ = dynamic_cast<CDeviceProfileUI*>(FindSubControl("device_profile_layout"));
    if (CDeviceProfileUI* bar = profileBar_) {
        bar->SetKind(GetIdentity().type);
        bar->SetPaths(UserDataDirectory(), DefaultProfilePath());
        bar->Init();
        bar->SelectTab(1);
        SetProfileId(bar->GetCurrentUuid());
    }
    for (ui::CControlUI* control : ui::CPaintManagerUI::FindSubControlsByClass(this, "DeviceKeyButton")) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(control);
        if (button == nullptr) continue;
        const int key = IndexAfter(button->GetName(), "key_");
        if (key >= 0 && key < keyCount_) keyButtons_[static_cast<size_t>(key)] = button;
        const int light = IndexAfter(button->GetUserData(), "light_");
        if (light >= 0 && light < ledCount_) {
            lightButtons_[static_cast<size_t>(light)] = button;
            // Dark until the page's effect gives it a colour: no flash of white at attach.
            button->SetLight(Qt::black, 0);
            button->SetLit(true);
            button->Invalidate();
        }
    }
}

void CTessaryUSBDevice::SetLedColor(int index, uint32_t value) { leds_.SetPacked(index, value); }

uint32_t CTessaryUSBDevice::GetLedColor(int index) const { return leds_.GetPacked(index); }

void CTessaryUSBDevice::FillLeds(const LedState& led) { leds_.Fill(led); }

void CTessaryUSBDevice::BreathingEffect() {
    FillLeds(velnor7::BreathingEffect(GetLightingState(), effect_));
}

void CTessaryUSBDevice::PaletteBreathingEffect() {
    FillLeds(velnor7::PaletteBreathingEffect(GetLightingState(), effect_));
}

void CTessaryUSBDevice::StaticEffect() { FillLeds(velnor7::StaticEffect(GetLightingState())); }

void CTessaryUSBDevice::SpectrumEffect() {
    FillLeds(velnor7::SpectrumEffect(GetLightingState(), effect_));
}

void CTessaryUSBDevice::FlashEffect() {
    FillLeds(velnor7::FlashEffect(GetLightingState(), effect_, NowMs()));
}

void CTessaryUSBDevice::PaletteFlashEffect() {
    FillLeds(velnor7::PaletteFlashEffect(GetLightingState(), effect_, NowMs()));
}

void CTessaryUSBDevice::LightsOffEffect() { FillLeds(velnor7::LightsOffEffect()); }

void CTessaryUSBDevice::UpdatePreview() {
    if (!LightOutput()) return;
    frame_.fill(0);
    for (int i = 0; i < ledCount_; ++i) {
        const LedState led = UnpackLed(GetLedColor(i));
        if (CDeviceKeyButtonUI* button = lightButtons_[static_cast<size_t>(i)]; button != nullptr && button->IsVisible()) {
            button->SetLight(QColor(led.colour.red, led.colour.green, led.colour.blue), led.brightness);
        }
        if (i == kNoLedInFrame) continue;
        uint8_t* out = frame_.data() + 3 * i;
        out[0] = static_cast<uint8_t>(led.colour.red * led.brightness / 256);
        out[1] = static_cast<uint8_t>(led.colour.green * led.brightness / 256);
        out[2] = static_cast<uint8_t>(led.colour.blue * led.brightness / 256);
    }
    if (!StreamsLightFrames() || command_.SlowMode() || ledCount_ == 0) return;
    // A device that did not take a frame gets a rest instead of the next frames; the UI
    // thread is never put to sleep for it.
    if (clock_() < sendAgainAt_) return;
    if (command_.StreamLedFrame(frame_.data(), static_cast<size_t>(ledCount_) * 3) != kResultOk) {
        sendAgainAt_ = clock_() + std::chrono::milliseconds(kSendBackOffMs);
    }
}

int CTessaryUSBDevice::RepaintChangedLights() {
    std::vector<CDeviceKeyButtonUI*>& changed = changedLights_;
    changed.clear();
    for (CDeviceKeyButtonUI* button : lightButtons_) {
        if (button != nullptr && button->TakeLightChanged()) changed.push_back(button);
    }
    // Past a quarter of the keys, one repaint of the whole panel costs less than one region
    // per key (a full-keyboard effect: about half the time per frame).
    if (selectPanel_ != nullptr && 4 * changed.size() > lightButtons_.size()) {
        selectPanel_->Invalidate();
    } else {
        for (CDeviceKeyButtonUI* button : changed) button->Invalidate();
    }
    return static_cast<int>(changed.size());
}

void CTessaryUSBDevice::PollPowerStatus() {
    if (!command_.IsOpen()) return;
    std::array<uint8_t, 6> status{};
    if (command_.ReadPowerStatus(status.data(), status.size(), 0) != kResultOk) return;
    status[3] = command_.SlowMode() ? 1 : 0;
    if (powerPanel_ != nullptr) powerPanel_->ShowPowerStatus(status);
}

int CTessaryUSBDevice::WriteKeyAssignments(int bank, const std::vector<uint8_t>& assignments) {
    (void)bank;
    (void)assignments;
    return 0;
}

int CTessaryUSBDevice::WriteKeyMapFromProfile(int bank) {
    (void)bank;
    return 0;
}

int CTessaryUSBDevice::WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight) {
    (void)profile;
    (void)value;
    (void)flag;
    (void)screenWidth;
    (void)screenHeight;
    return 0;
}

void CTessaryUSBDevice::RaiseKeyLevel(int key, bool fine) { keyLevels_.RaiseKeyLevel(static_cast<size_t>(key), fine); }
void CTessaryUSBDevice::DecayKeyLevel(int key, bool fine) { keyLevels_.DecayKeyLevel(static_cast<size_t>(key), fine); }
void CTessaryUSBDevice::MarkRingKeys() { keyLevels_.MarkRingKeys(); }
void CTessaryUSBDevice::RotateRing(bool forward) { keyLevels_.RotateRing(forward); }
void CTessaryUSBDevice::ClearKeyLevels() { keyLevels_.ClearKeyLevels(); }

void CTessaryUSBDevice::SetFunctionTab(int tab) {
    functionTab_ = tab;
    const int keyPage = (tab == 2 || tab == 6) ? 1 : tab == 4 ? 2 : 0;
    const int functionPage = (tab == 3 || tab == 7) ? 1 : tab == 5 ? 2 : 0;
    if (auto* keys = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("device_key_function_switch"))) {
        keys->SelectItem(keyPage);
    }
    if (auto* functions = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("device_function_switch"))) {
        functions->SelectItem(functionPage);
    }
    // Only the key panels work on the on-screen keys; the other function pages take their room.
    if (ui::CControlUI* keyView = FindSubControl("device_key_view")) keyView->SetVisible(functionPage == 0);
}

int CTessaryUSBDevice::FrameThreshold(uint8_t mode, uint8_t speed) const {
    (void)mode;
    (void)speed;
    return -1;
}

void CTessaryUSBDevice::RunEffect(uint8_t mode) { (void)mode; }

const CTessaryUSBDevice::KindThreadTraits& CTessaryUSBDevice::ThreadTraitsOf(int kindIndex) {
    static const KindThreadTraits kTraits[] = {
        {100, true, "KB灯光线程设定退出"},   // keyboard
        {500, false, "MS灯光线程设定退出"},  // mouse
        {500, false, "MS灯光线程设定退出"},  // mouse pad
        {500, false, "MS灯光线程设定退出"},  // headset
    };
    return kTraits[kindIndex >= 0 && kindIndex < 4 ? kindIndex : 1];
}

int CTessaryUSBDevice::ReadBackDelayMs(uint16_t code) const {
    const KindThreadTraits& traits = ThreadTraitsOf(kindIndex_);
    if (code == 0x401 || (code == 0x403 && traits.readBackOn0x403)) return traits.readBackDelayMs;
    return -1;
}

void CTessaryUSBDevice::StartLightThread() {
    StopLightThread();
    lightThread_.Start([this](Event& stop) { LightThreadBody(stop); });
}

void CTessaryUSBDevice::StopLightThread() {
    lightThread_.Stop(1000, [this] { WakeLightThread(); });
}

void CTessaryUSBDevice::LightThreadBody(Event& stop) {
    while (!stop.IsSet()) {
        // Detached, synchronised (that thread renders), or a mode the device runs itself.
        const LightingState lighting = GetLightingState();
        const int threshold = FrameThreshold(lighting.mode, lighting.speed);
        if (!command_.IsOpen() || command_.Synced() || threshold < 0) {
            WaitForLightWork();
            continue;
        }
        // One wait for the whole step instead of counting 1 ms wake-ups: the same pace, a
        // fraction of the wake-ups.
        if (stop.Wait(StepPeriodMs(threshold))) break;
        if (!command_.IsOpen() || command_.Synced() || GetLightingState().mode != lighting.mode) continue;
        RunEffect(lighting.mode);
    }
    Trace("%s", ThreadTraitsOf(kindIndex_).lightExitTrace);
}

void CTessaryUSBDevice::ListenBody(Event& stop) {
    // A read waits until a report comes: closing the interface or pulling the device out
    // ends it at once, so nothing wakes up meanwhile to look.
    while (!stop.IsSet() && consumer_.IsOpen()) {
        CHidDevice& transport = consumer_.Transport();
        std::vector<uint8_t>& buffer = transport.InputReportBuffer();
        // A collection without input reports has nothing to tell.
        if (buffer.empty()) break;
        size_t received = 0;
        if (transport.Read(buffer.data(), buffer.size(), -1, &received) != 1 || received == 0) {
            if (!transport.IsOpen() || transport.Gone()) break;
            continue;
        }
        std::vector<HidDataItem>& items = transport.InputDataItems();
        if (!transport.UnpackReport(items, buffer.data(), received, HidReportType::Input) || items.empty() || items[0].usages.empty()) {
            continue;
        }
        const uint16_t code = items[0].usages[0];
        Trace("接收到自动添加设备的同步信息要求  TEST");
        const int delay = ReadBackDelayMs(code);
        if (delay >= 0) {
            if (code == 0x401) Trace("接收到自动添加设备的同步信息要求");
            ScheduleReadBack(delay);
        } else {
            OnConsumerEvent(code);
        }
    }
    Trace("MS设备同步线程设定退出");
}

void CTessaryUSBDevice::RunOnUiThread(std::function<void()> work) {
    // The page may be gone by the time the UI thread gets to the work.
    ui::PostToUiThread([alive = alive_, work = std::move(work)] {
        if (*alive) work();
    });
}

void CTessaryUSBDevice::ScheduleReadBack(int delayMs) {
    RunOnUiThread([this, delayMs] {
        if (GetManager() == nullptr) return;
        // The selector entry's read-back timer when the page has an entry, else its own.
        GetManager()->SetTimer(selectorEntry_ != nullptr ? selectorEntry_ : this, kReadBackTimer, delayMs);
    });
}

void CTessaryUSBDevice::OnTimer(int timerId) {
    if (timerId == kReadBackTimer) {
        if (GetManager() != nullptr) GetManager()->KillTimer(this, kReadBackTimer);
        ReadBackSettings();
        return;
    }
    CHorizontalLayoutUI::OnTimer(timerId);
}

}  // namespace velnor7
