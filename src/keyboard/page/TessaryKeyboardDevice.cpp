#include "keyboard/page/TessaryKeyboardDevice.h"

#include "profiles/ProfileList.h"

#include <filesystem>

namespace velnor7 {

CTessaryKeyboardDevice::CTessaryKeyboardDevice()
    : configurator_(std::make_unique<CKeyboardConfigurator>(CommandChannel(), profile_, std::filesystem::path())) {
    SetKindIndex(kKindKeyboard);
}

CTessaryKeyboardDevice::~CTessaryKeyboardDevice() = default;

QString CTessaryKeyboardDevice::GetClass() const { return "TessaryKeyboardDevice"; }

void CTessaryKeyboardDevice::SetProfilePaths() {
    profile_.SetDefaultPath(DefaultProfilePath());
    if (GetProfileId().empty()) SetProfileId(CProfileList(UserDataDirectory(), DefaultProfilePath()).CurrentUuid());
    profile_.SetProfileFile(UserDataDirectory(), GetProfileId());
    // The macro files lie beside the profiles; the configurator reads them from there.
    configurator_->SetMacroFolder(UserDataDirectory());
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
    SetProfilePaths();
    profile_.Load(profile_.GetPath());
    profile_.ReadKeyList();
    profile_.ReadSystemStages();
    TakeLightState();
    configurator_->LoadKeyColours();
    return 1;
}

void CTessaryKeyboardDevice::LoadFromDevice() {
    if (profile_.GetPath().empty()) SetProfilePaths();
    configurator_->ReadOut();
    LoadProfile();
    configurator_->WriteCustomColours();
    RefreshPanel();
    WriteSettings(0, 0, 1, 0, 0);
}

void CTessaryKeyboardDevice::ReadBackSettings() {
    LoadProfile();
    if (const auto record = configurator_->ReadLightRecord()) {
        TakeLightState();
        LightInfoRecord light = GetLightInfo();
        light.zzccSelectItem = record->zzccSelectItem;
        light.customGroup = record->customGroup;
        SetLightInfo(light);
    }
    RefreshPanel();
}

int CTessaryKeyboardDevice::WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight) {
    (void)flag;
    (void)screenWidth;
    (void)screenHeight;
    if (profile_.GetPath().empty()) LoadProfile();
    return configurator_->WriteLightRecord(profile, static_cast<uint8_t>(value));
}

int CTessaryKeyboardDevice::WriteKeyMapFromProfile(int bank) {
    if (profile_.GetPath().empty()) LoadProfile();
    return configurator_->WriteKeyMap(bank);
}

int CTessaryKeyboardDevice::WriteMacros() {
    if (profile_.GetPath().empty()) LoadProfile();
    return configurator_->WriteMacros();
}

void CTessaryKeyboardDevice::OnConsumerEvent(uint16_t code) {
    const bool pressed = (code & 0xFF00) == 0x500;
    if (!pressed && (code & 0xFF00) != 0x600) return;
    const int slot = code & 0xFF;
    // The maps belong to the UI thread; the lookup happens there.
    RunOnUiThread([this, slot, pressed] {
        const std::optional<KeyIndex> key = configurator_->KeyOfSlot(slot);
        if (key && onKeyEvent_) onKeyEvent_(*key, pressed);
    });
}

}  // namespace velnor7
