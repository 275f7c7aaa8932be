#include "keyboard/page/TessaryKeyboardDevice.h"

#include "common/Paths.h"
#include "common/Trace.h"
#include "common/UserNotice.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "common/JsonFile.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyLabels.h"
#include "macros/panel/MacroControlUI.h"
#include "ui/ResourceManager.h"
#include "profiles/ProfileList.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <utility>

namespace velnor7 {

namespace {

uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

KeyboardPreview::Random SeededRandom() {
    return [engine = std::minstd_rand(std::random_device{}())]() mutable { return static_cast<uint32_t>(engine()); };
}

}  // namespace

CTessaryKeyboardDevice::CTessaryKeyboardDevice()
    : configurator_(std::make_unique<CKeyboardConfigurator>(CommandChannel(), profile_, std::filesystem::path())),
      preview_(Leds(), SeededRandom()),
      previewClock_(SteadyMilliseconds) {
    SetKindIndex(kKindKeyboard);
}

CTessaryKeyboardDevice::~CTessaryKeyboardDevice() {
    // The thread reads this object's members: it ends before they go.
    StopLightThread();
}

QString CTessaryKeyboardDevice::GetClass() const { return "TessaryKeyboardDevice"; }

void CTessaryKeyboardDevice::SetProfilePaths() {
    profile_.SetDefaultPath(DefaultProfilePath());
    if (GetProfileId().empty()) SetProfileId(CProfileList(UserDataDirectory(), DefaultProfilePath()).CurrentUuid());
    profile_.SetProfileFile(UserDataDirectory(), GetProfileId());
    if (!GetLightFileStem().empty()) profile_.SetLightConfigPath(UserDataDirectory() + GetLightFileStem() + ".config");
    // The macro files lie beside the profiles; the configurator reads them from there.
    configurator_->SetDataFolder(UserDataDirectory());
}

void CTessaryKeyboardDevice::TakeLightState() {
    LightInfoRecord light = profile_.ReadLightInfo();
    // The custom group and the preset of mode 17 stay beside the light state as the
    // device last reported them.
    const LightInfoRecord current = GetLightInfo();
    light.zzccSelectItem = current.zzccSelectItem;
    SetLightInfo(light);
}

int CTessaryKeyboardDevice::LoadProfile() {
    LoadProfileData();
    ReloadLightState();
    return 1;
}

void CTessaryKeyboardDevice::LoadProfileData() {
    SetProfilePaths();
    profile_.Load(profile_.GetPath());
    profile_.ReadKeyList();
    profile_.ReadSystemStages();
    TakeLightState();
    configurator_->LoadKeyColours();
}

int CTessaryKeyboardDevice::ReloadLightState() {
    ReloadLight(true);
    return 1;
}

void CTessaryKeyboardDevice::ShowCustomColours() {
    std::vector<Rgb> colours;
    colours.reserve(configurator_->KeyColours().size());
    for (const KeyColour& key : configurator_->KeyColours()) {
        // As the keyboard shows them: scaled by the key's own alpha.
        colours.push_back(Rgb{static_cast<uint8_t>((key.red * key.alpha) >> 8),
                              static_cast<uint8_t>((key.green * key.alpha) >> 8),
                              static_cast<uint8_t>((key.blue * key.alpha) >> 8)});
    }
    preview_.SetCustomColours(std::move(colours));
    WakeLightThread();
}

void CTessaryKeyboardDevice::ReloadLight(bool restartPreview) {
    if (GetLightInfo().selectItem == KeyboardPreview::kCustomColourMode) {
        ShowCustomColours();
        // Nothing is written to a keyboard that has not been read.
        if (configurator_->HasReadOut()) WriteCustomColours();
    }
    if (restartPreview) preview_.Restart();
    preview_.Areas().Load(profile_.ReadLightList());
    // The steps of the light preset the mode plays.
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    preview_.Playback().Load(profile_.ReadLightPreset());
    WakeLightThread();
}

void CTessaryKeyboardDevice::LightThreadBody(Event& stop) {
    while (!stop.IsSet()) {
        // The preview only feeds the screen: nothing to do while nobody can see it, and
        // the lighting synchronisation renders while it runs.
        if (!CommandChannel().IsOpen() || !PreviewSeen() || CommandChannel().Synced()) {
            WaitForLightWork();
            continue;
        }
        const LightInfoRecord record = GetLightInfo();
        if (stop.Wait(preview_.Pass(PreviewLight{GetLightingState(), record.zzccSelectItem}, previewClock_()))) break;
    }
    Trace("KB灯光线程设定退出");
}

void CTessaryKeyboardDevice::LoadLists() {
    LoadLightNameLists(lightNames_, GetKindIndex(), UserDataDirectory(), DefaultDataDirectory());
    FillKeySetMacros();
}

bool CTessaryKeyboardDevice::Report(const DeviceResult& result) {
    if (result.Ok()) return true;
    // The one failure the page only logs: a keyboard that is not attached. The profile
    // keeps the change, and the next attach writes it. Every other failure reaches the user.
    if (result.error == DeviceError::NotOpen) {
        Trace("keyboard: %s", result.reason.c_str());
        return false;
    }
    UserNotice(result.reason + ".");
    return false;
}

bool CTessaryKeyboardDevice::LoadFromDevice() {
    if (profile_.GetPath().empty()) SetProfilePaths();
    DeviceResult readOut = configurator_->ReadOut();
    LoadProfile();
    if (!readOut.Ok()) {
        readOut.reason += "; it is tried again, and nothing is written to it until it has been read";
        Report(readOut);
        readOutFailed_ = readOut.error != DeviceError::NotOpen;
        RefreshPanel();
        return false;
    }
    if (std::exchange(readOutFailed_, false)) UserNotice("The keyboard has been read and set up.");
    RefreshPanel();
    WriteSettings(0, 0, 1, 0, 0);
    StartLightThread();
    return true;
}

void CTessaryKeyboardDevice::DetachCommandInterface() {
    CTessaryUSBDevice::DetachCommandInterface();
    // Another keyboard may come in its place: nothing read from this one may be written there.
    configurator_->Forget();
    readOutFailed_ = false;
}

void CTessaryKeyboardDevice::ReadBackSettings() {
    LoadProfileData();
    const LightRecordRead read = configurator_->ReadLightRecord();
    if (read.result.Ok() || read.result.error == DeviceError::ProfileNotSaved) {
        TakeLightState();
        LightInfoRecord light = GetLightInfo();
        light.zzccSelectItem = read.record.zzccSelectItem;
        light.customGroup = read.record.customGroup;
        SetLightInfo(light);
        // The keyboard may have changed the group its custom colours come from.
        configurator_->LoadKeyColours();
    }
    ReloadLightState();
    Report(read.result);
    RefreshPanel();
}

int CTessaryKeyboardDevice::WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight) {
    (void)flag;
    (void)screenWidth;
    (void)screenHeight;
    if (profile_.GetPath().empty()) LoadProfile();
    return Report(configurator_->WriteLightRecord(profile, static_cast<uint8_t>(value))) ? 1 : 0;
}

void CTessaryKeyboardDevice::InitPage() {
    CTessaryUSBDevice::InitPage();
    settingsPanel_.Bind(*this);
    LoadLists();
    lightPanel_ = dynamic_cast<CLightControlUI*>(FindSubControl("LightControlItem"));
    if (lightPanel_ != nullptr) {
        lightPanel_->Bind();
        lightPanel_->SetDeviceType(kPanelTypeKeyboard);
        lightPanel_->FillModeList(lightNames_.modes, kMaxBrightness, kMaxSpeed);
        lightPanel_->FillCustomSets(lightNames_.presets);
    }
    macroPanel_ = dynamic_cast<CMacroControlUI*>(FindSubControl("MacroControlItem"));
    if (macroPanel_ != nullptr) {
        macroPanel_->SetUserDataDirectory(UserDataDirectory());
        macroPanel_->LoadMacroList();
    }
    keySetPanel_ = dynamic_cast<CKeySetControlUI*>(FindSubControl("KeySetControlItem"));
    if (keySetPanel_ != nullptr) {
        keySetPanel_->Bind(true);
        FillKeySetMacros();
    }
}

void CTessaryKeyboardDevice::StoreKeyAssignments(const std::vector<KeyListEntry>& keys) {
    profile_.WriteKeyList(keys);
    profile_.Save();
    RefreshKeyLabels();
}

void CTessaryKeyboardDevice::RefreshPanel() {
    if (lightPanel_ != nullptr) {
        // The user's light presets may have changed since the page was built.
        LoadLists();
        lightPanel_->FillModeList(lightNames_.modes, kMaxBrightness, kMaxSpeed);
        lightPanel_->FillCustomSets(lightNames_.presets);
        lightPanel_->ShowValues(GetLightInfo());
    }
    settingsPanel_.Show(profile_.GetSystemStages());
    RefreshKeyLabels();
}

void CTessaryKeyboardDevice::RefreshKeyLabels() {
    std::vector<std::string> macroNames;
    if (macroPanel_ != nullptr) {
        for (const QString& name : macroPanel_->MacroNames()) macroNames.push_back(name.toStdString());
    }
    const ui::CResourceManager& texts = ui::CResourceManager::Instance();
    const std::vector<KeyListEntry>& keys = profile_.GetKeyList();
    for (size_t key = 0; key < keys.size() && key < static_cast<size_t>(kKeyCount); ++key) {
        const std::optional<KeyLabel> label = LabelOfAssignment(keys[key].current.code, macroNames);
        if (!label) continue;
        QStringList parts;
        for (const KeyLabel::Part& part : label->parts) {
            const QString text = QString::fromStdString(part.text);
            parts << (part.languageId ? texts.TextOrSelf(text) : text);
        }
        SetKeyTip(static_cast<int>(key), parts.join("+"));
    }
}

void CTessaryKeyboardDevice::SetKeyTip(int key, const QString& label) {
    CDeviceKeyButtonUI* button = GetKeyButton(key);
    if (button == nullptr) return;
    const ui::CResourceManager& texts = ui::CResourceManager::Instance();
    const QString name = KeyDisplayName(key);
    button->SetUserToolTitle(name);
    button->SetKeySetImageHidden(name.compare(label, Qt::CaseInsensitive) == 0);
    button->SetToolTip(name + texts.TextOrSelf("Key_Set") + label);
}

QString CTessaryKeyboardDevice::KeyDisplayName(int key) {
    const std::string_view id = KeyName(key);
    if (id.empty()) return {};
    return ui::CResourceManager::Instance().TextOrSelf(QString::fromUtf8(id.data(), static_cast<int>(id.size())));
}

void CTessaryKeyboardDevice::SetFunctionTab(int tab) {
    CTessaryUSBDevice::SetFunctionTab(tab);
    constexpr int kFnKey = 110;
    if (CDeviceKeyButtonUI* fn = GetKeyButton(kFnKey); fn != nullptr && (tab == 1 || tab == 2)) fn->SetEnabled(tab == 1);
}

void CTessaryKeyboardDevice::SetSeveralDevicesShown(bool several) {
    CTessaryUSBDevice::SetSeveralDevicesShown(several);
    if (lightPanel_ != nullptr) lightPanel_->SetSyncPermission(several);
}

bool CTessaryKeyboardDevice::OnPanelNotify(ui::TNotifyUI& msg) {
    if (lightPanel_ != nullptr) {
        if (const std::optional<LightPanelAction> action = lightPanel_->OnNotify(msg)) {
            ApplyLightAction(*action);
            return true;
        }
    }
    if (OnKeyPaintNotify(msg) || OnKeySetNotify(msg)) return true;
    return settingsPanel_.OnNotify(msg, profile_.GetSystemStages(),
                                   [this](const KeyboardSettingsChange& change) { ApplySettings(change); });
}

void CTessaryKeyboardDevice::ApplyLightAction(const LightPanelAction& action) {
    if (profile_.GetPath().empty()) LoadProfile();
    switch (action.kind) {
    case LightPanelAction::Kind::Change: ApplyLightChange(action.change, action.keepsSync); break;
    case LightPanelAction::Kind::CustomSet: ChooseCustomSet(action.index); break;
    case LightPanelAction::Kind::FillKeys: FillKeys(action.colour); break;
    }
    if (lightPanel_ != nullptr) lightPanel_->TakeRecord(GetLightInfo());
}

void CTessaryKeyboardDevice::ApplyLightChange(const LightingChange& change, bool keepsSync) {
    if (!keepsSync) CommandChannel().SetSynced(false);
    const LightInfoRecord before = GetLightInfo();
    const LightingWrite write =
        ApplyLighting(profile_, *configurator_, before, change, [&](const LightInfoRecord& light) {
            SetLightInfo(light);
            ReloadLight(light.selectItem != before.selectItem);
        });
    Report(write.profile);
    Report(write.device);
}

void CTessaryKeyboardDevice::ChooseCustomSet(int index) {
    if (index < 0) return;
    CommandChannel().SetSynced(false);
    profile_.WriteCustomGroupIndex(index);
    const LightingWrite write = ApplyLighting(profile_, *configurator_, GetLightInfo(),
                                              LightingChange{.customGroup = static_cast<uint8_t>(index)},
                                              [&](const LightInfoRecord& light) {
                                                  SetLightInfo(light);
                                                  // The set's colours go to the preview and the keyboard.
                                                  configurator_->LoadKeyColours();
                                                  ReloadLight(false);
                                              });
    Report(write.profile);
    Report(write.device);
}

void CTessaryKeyboardDevice::FillKeys(const Rgb& colour) {
    const DeviceResult written = configurator_->FillKeys(colour);
    ShowCustomColours();
    Report(written);
    // Without a set chosen, the keys show the colours but no set keeps them.
    StoreKeyColours();
}

void CTessaryKeyboardDevice::StoreKeyColours() {
    const int set = lightPanel_ != nullptr ? lightPanel_->GetCustomSet() : GetLightInfo().customGroup;
    if (set >= 0) Report(configurator_->StoreKeyColours(set));
}

void CTessaryKeyboardDevice::PaintKeys(const std::vector<int>& keys) {
    if (keys.empty() || GetLightInfo().selectItem != CKeyboardConfigurator::kCustomLightMode) return;
    const DeviceResult painted = configurator_->PaintKeys(keys);
    ShowCustomColours();
    Report(painted);
    StoreKeyColours();
}

bool CTessaryKeyboardDevice::OnKeyPaintNotify(const ui::TNotifyUI& msg) {
    if (GetFunctionTab() != kLightingTab || msg.pSender == nullptr) return false;
    if (msg.sType == "click_select_end") {
        std::vector<int> keys;
        for (int key = 0; key < GetKeyCount(); ++key) {
            if (const CDeviceKeyButtonUI* button = GetKeyButton(key); button != nullptr && button->IsSelected()) {
                keys.push_back(key);
            }
        }
        PaintKeys(keys);
        return true;
    }
    if (msg.sType != "click") return false;
    for (int key = 0; key < GetKeyCount(); ++key) {
        if (GetKeyButton(key) == msg.pSender) {
            PaintKeys({key});
            return true;
        }
    }
    return false;
}

bool CTessaryKeyboardDevice::OnKeySetNotify(const ui::TNotifyUI& msg) {
    if (keySetPanel_ == nullptr || msg.pSender == nullptr) return false;
    if (msg.sType == "click" && GetFunctionTab() == kKeyTab) {
        for (int key = 0; key < GetKeyCount(); ++key) {
            if (GetKeyButton(key) == msg.pSender) {
                SelectKey(key);
                return true;
            }
        }
    }
    const auto capture = [this](bool install) {
        ui::SendWindowMessage(GetMainWindow(), ui::WindowMessage{kMsgKeyCapture, install ? 1u : 0u, 0, {}});
    };
    switch (keySetPanel_->OnNotify(msg)) {
    case CKeySetControlUI::Reaction::None:
        return false;
    case CKeySetControlUI::Reaction::Store:
        StoreSelectedKey();
        break;
    case CKeySetControlUI::Reaction::ArmCapture:
        capture(true);
        break;
    case CKeySetControlUI::Reaction::DisarmCapture:
        capture(false);
        break;
    }
    return true;
}

void CTessaryKeyboardDevice::SelectKey(int index) {
    CTessaryUSBDevice::SelectKey(index);
    if (keySetPanel_ == nullptr) return;
    // A profile that cannot be read gives no assignment to show.
    if (profile_.GetPath().empty() || LoadJsonFile(profile_.GetPath()).isNull()) return;
    const std::vector<KeyListEntry>& keys = profile_.GetKeyList();
    if (index < 0 || index >= static_cast<int>(keys.size())) return;
    keySetPanel_->ShowKey(KeyDisplayName(index), keys[static_cast<size_t>(index)].current, keys[static_cast<size_t>(index)].defaults);
}

void CTessaryKeyboardDevice::StoreSelectedKey() {
    std::vector<KeyListEntry> keys = profile_.GetKeyList();
    const int selected = GetSelectedKey();
    if (keySetPanel_ == nullptr || selected < 0 || selected >= static_cast<int>(keys.size())) return;
    keys[static_cast<size_t>(selected)].current = keySetPanel_->Encode();
    StoreKeyAssignments(keys);
    keySetPanel_->SetUnsent(true);
}

void CTessaryKeyboardDevice::OnCapturedKey(bool pressed, uint8_t scanCode, bool extended) {
    if (pressed && keySetPanel_ != nullptr && keySetPanel_->TakeCapturedKey(scanCode, extended)) StoreSelectedKey();
}

void CTessaryKeyboardDevice::KeyMapSent() {
    if (keySetPanel_ != nullptr) keySetPanel_->SetUnsent(false);
}

void CTessaryKeyboardDevice::FillKeySetMacros() {
    if (keySetPanel_ == nullptr || macroPanel_ == nullptr) return;
    keySetPanel_->FillMacros(macroPanel_->MacroNames());
    if (keySetPanel_->KeyShown()) SelectKey(GetSelectedKey());
}

void CTessaryKeyboardDevice::ReloadText() {
    CTessaryUSBDevice::ReloadText();
    settingsPanel_.ReloadText();
    RefreshKeyLabels();
}

void CTessaryKeyboardDevice::ApplySettings(const KeyboardSettingsChange& change) {
    if (profile_.GetPath().empty()) LoadProfile();
    const KeyboardSettingsWrite write = ApplyKeyboardSettings(profile_, *configurator_, *systemRepeat_, change);
    Report(write.profile);
    if (write.lightRecord) Report(*write.lightRecord);
    // A session without such a setting has said so in a trace line; a refusal reaches the user.
    if (write.repeat && write.repeat->outcome == KeyboardRepeatResult::Outcome::Failed) {
        UserNotice("The key repeat was not set on this computer: " + write.repeat->reason + ".");
    }
}

int CTessaryKeyboardDevice::WriteKeyMapFromProfile(int bank) {
    if (profile_.GetPath().empty()) LoadProfile();
    return Report(configurator_->WriteKeyMap(bank)) ? 1 : 0;
}

int CTessaryKeyboardDevice::WriteCustomColours() { return Report(configurator_->WriteCustomColours()) ? 1 : 0; }

int CTessaryKeyboardDevice::WriteMacros() {
    if (profile_.GetPath().empty()) LoadProfile();
    const MacroWrite write = configurator_->WriteMacros();
    if (Report(write.result)) return 0;
    return write.overflow > 0 ? write.overflow : -1;
}

void CTessaryKeyboardDevice::OnConsumerEvent(uint16_t code) {
    const bool pressed = (code & 0xFF00) == 0x500;
    if (!pressed && (code & 0xFF00) != 0x600) return;
    const int slot = code & 0xFF;
    // The maps belong to the UI thread; the lookup happens there.
    RunOnUiThread([this, slot, pressed] {
        const std::optional<KeyIndex> key = configurator_->KeyOfSlot(slot);
        if (!key) return;
        preview_.PostKeyEvent(*key, pressed);
        if (onKeyEvent_) onKeyEvent_(*key, pressed);
    });
}

}  // namespace velnor7
