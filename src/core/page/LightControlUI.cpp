#include "core/page/LightControlUI.h"

#include "ui/ButtonUI.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ComboUI.h"
#include "ui/EditUI.h"
#include "ui/SliderUI.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

#include <algorithm>

namespace velnor7 {

namespace {

constexpr int kChannelMax = 255;
constexpr qreal kDisabledOpacity = 0.35;
const std::array<const char*, 3> kChannelEdits = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};

quint32 Argb(const Rgb& colour) {
    return 0xFF000000u | (quint32(colour.red) << 16) | (quint32(colour.green) << 8) | quint32(colour.blue);
}

Rgb FromArgb(quint32 argb) {
    return Rgb{static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)};
}

Rgb ColourOf(const LightInfoRecord& light) { return Rgb{light.red, light.green, light.blue}; }

// Without a notification: showing a value is no change of it.
void Select(ui::COptionUI* option, bool selected) {
    if (option != nullptr) option->Selected(selected, false);
}

// A committed channel: digits only, at most 255; an empty (or unreadable) text is 0.
int ChannelValue(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); })) return 0;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    // Too many digits to read are more than 255 too.
    return ok ? static_cast<int>(std::min<qlonglong>(value, kChannelMax)) : kChannelMax;
}

}  // namespace

QString CLightControlUI::GetClass() const { return "LightControl"; }

void CLightControlUI::Bind() {
    auto find = [this](const char* name) { return FindSubControl(QString::fromLatin1(name)); };
    auto findAs = [&]<class T>(T*& control, const char* name) { control = dynamic_cast<T*>(find(name)); };
    findAs(modes_, "light_combo_modeSelect");
    findAs(presets_, "light_zzcc_combo");
    findAs(customSets_, "light_combo_custommodeSelect");
    findAs(brightness_, "deng_light_slider");
    findAs(speed_, "deng_speed_slider");
    for (size_t i = 0; i < channels_.size(); ++i) findAs(channels_[i], kChannelEdits[i]);
    findAs(palette_, "deng_Color_Pallet");
    for (size_t i = 0; i < presetColours_.size(); ++i) {
        presetColours_[i] = dynamic_cast<ui::CButtonUI*>(FindSubControl(QStringLiteral("color_option_%1").arg(i)));
    }
    findAs(currentColour_, "deng_colordp_btn");
    findAs(multiColour_, "deng_7color_check");
    findAs(directionFirstOption_, "deng_FXL_check");
    findAs(directionSecondOption_, "deng_FXR_check");
    sameMode_ = find("deng_same_mode");
    findAs(fillAll_, "custom_bright_color_btn");
    findAs(blackOut_, "custom_off_color_btn");
    findAs(lightsOff_, "light_close_btn");
    findAs(lightsOn_, "light_open_btn");
    effectLayout_ = find("lighteffect_layout");
    colourLayout_ = find("deng_color_layout");
    paletteLayout_ = find("colorpallet_layout");
    brightnessLayout_ = find("deng_light_layout");
    speedLayout_ = find("deng_speed_layout");
    directionLayout_ = find("deng_fx_layout");
    customLayout_ = find("lightcustom_layout");
    switchLayout_ = find("deng_on_or_off");
    presetLayout_ = find("light_zzcc_layout");
}

void CLightControlUI::FillModeList(const std::vector<LightModeName>& modes, int brightnessMax, int speedMax) {
    if (modes_ != nullptr) {
        const int shown = modes_->GetCurSel();
        modes_->RemoveAll();
        for (size_t i = 0; i < modes.size(); ++i) {
            modes_->AddTextItem(QString::fromStdString(modes[i].name), QString::number(i));
            modes_->SetItemVisible(static_cast<int>(i), modes[i].visible);
        }
        if (shown >= 0) modes_->SelectItem(shown, false);
    }
    if (brightness_ != nullptr) brightness_->SetMaxValue(brightnessMax);
    if (speed_ != nullptr) speed_->SetMaxValue(speedMax);
}

void CLightControlUI::FillCustomSets(const std::vector<std::string>& names) {
    if (customSets_ == nullptr) return;
    customSets_->RemoveAll();
    for (const std::string& name : names) customSets_->AddTextItem(QString::fromStdString(name));
    customSets_->SelectItem(shown_.customGroup < names.size() ? shown_.customGroup : -1, false);
}

void CLightControlUI::ShowValues(const LightInfoRecord& light) {
    shown_ = light;
    if (modes_ != nullptr) modes_->SelectItem(light.selectItem < modes_->GetCount() ? light.selectItem : -1, false);
    ApplyModeLayout(light.selectItem);
    if (presets_ != nullptr) {
        presets_->SelectItem(light.zzccSelectItem < presets_->GetCount() ? light.zzccSelectItem : -1, false);
    }
    if (customSets_ != nullptr) {
        customSets_->SelectItem(light.customGroup < customSets_->GetCount() ? light.customGroup : -1, false);
    }
    if (brightness_ != nullptr) brightness_->SetValue(light.light);
    if (speed_ != nullptr) speed_->SetValue(light.speed);
    ShowColour(ColourOf(light), true);
    Select(multiColour_, light.multiColor != 0);
    Select(directionFirstOption_, light.fx != 0);
    Select(directionSecondOption_, light.fx == 0);
}

void CLightControlUI::ShowColour(const Rgb& colour, bool inEdits) {
    if (inEdits) {
        const std::array<uint8_t, 3> values = {colour.red, colour.green, colour.blue};
        for (size_t i = 0; i < channels_.size(); ++i) {
            if (channels_[i] != nullptr) channels_[i]->SetText(QString::number(values[i]));
        }
    }
    if (palette_ != nullptr) palette_->SetSelectColor(Argb(colour));
    if (currentColour_ != nullptr) currentColour_->SetBkColor(QColor::fromRgba(Argb(colour)));
}

void CLightControlUI::ApplyPart(ui::CControlUI* part, PartState state) {
    if (part == nullptr || state == PartState::Unchanged) return;
    part->SetVisible(state != PartState::Hidden);
    part->SetEnabled(state == PartState::Enabled);
    // Colours do not grey out as text does: the colour parts fade instead.
    if ((part == colourLayout_ || part == paletteLayout_) && part->GetWidget() != nullptr) {
        QWidget* widget = part->GetWidget();
        if (state == PartState::Disabled) {
            auto* fade = new QGraphicsOpacityEffect(widget);
            fade->setOpacity(kDisabledOpacity);
            widget->setGraphicsEffect(fade);
        } else {
            widget->setGraphicsEffect(nullptr);
        }
    }
}

void CLightControlUI::ShowDirectionTexts(const char* first, const char* second) {
    directionFirst_ = first;
    directionSecond_ = second;
    if (directionFirstOption_ != nullptr) directionFirstOption_->SetText(QString::fromLatin1(first));
    if (directionSecondOption_ != nullptr) directionSecondOption_->SetText(QString::fromLatin1(second));
}

void CLightControlUI::ApplyModeLayout(int mode) {
    if (effectLayout_ != nullptr) effectLayout_->SetEnabled(true);
    std::optional<LightPanelLayout> layout;
    if (deviceType_ == kPanelTypeKeyboard) {
        // Every mode starts from the same arrangement; its row then changes what it uses.
        ApplyPart(customLayout_, PartState::Hidden);
        ApplyPart(directionLayout_, PartState::Enabled);
        for (ui::CControlUI* part : {brightnessLayout_, colourLayout_, speedLayout_}) {
            if (part != nullptr) part->SetVisible(true);
        }
        ApplyPart(switchLayout_, PartState::Hidden);
        ApplyPart(presetLayout_, PartState::Hidden);
        layout = KeyboardLightLayout(mode);
        ShowDirectionTexts(layout->directionFirst.value_or(kKeyboardDirectionFirst),
                           layout->directionSecond.value_or(kKeyboardDirectionSecond));
        if (layout->presetCombo) ApplyPart(presetLayout_, PartState::Enabled);
        if (layout->customSets) {
            ApplyPart(customLayout_, PartState::Enabled);
            ApplyPart(switchLayout_, PartState::Enabled);
        }
    } else {
        layout = PeripheralLightLayout(deviceType_, mode);
        if (!layout) return;
        if (directionLayout_ != nullptr) directionLayout_->SetEnabled(true);
    }
    ApplyPart(multiColour_, layout->multiColour);
    ApplyPart(colourLayout_, layout->colour);
    ApplyPart(paletteLayout_, layout->palette);
    ApplyPart(directionLayout_, layout->direction);
    ApplyPart(brightnessLayout_, layout->brightness);
    ApplyPart(speedLayout_, layout->speed);
    if (sameMode_ != nullptr) sameMode_->SetVisible(layout->sameModeMayShow && syncGranted_);
}

void CLightControlUI::SetSyncPermission(bool granted) {
    syncGranted_ = granted;
    ApplyModeLayout(shown_.selectItem);
}

int CLightControlUI::GetMode() const { return modes_ != nullptr ? modes_->GetCurSel() : -1; }
int CLightControlUI::GetPreset() const { return presets_ != nullptr ? presets_->GetCurSel() : -1; }
int CLightControlUI::GetCustomSet() const { return customSets_ != nullptr ? customSets_->GetCurSel() : -1; }
int CLightControlUI::GetBrightness() const { return brightness_ != nullptr ? brightness_->GetValue() : 0; }
int CLightControlUI::GetSpeed() const { return speed_ != nullptr ? speed_->GetValue() : 0; }

QString CLightControlUI::GetChannelText(int channel) const {
    if (channel < 0 || channel >= static_cast<int>(channels_.size())) return {};
    const ui::CEditUI* edit = channels_[static_cast<size_t>(channel)];
    return edit != nullptr ? edit->GetText() : QString();
}

quint32 CLightControlUI::GetPaletteColour() const { return palette_ != nullptr ? palette_->GetSelectColor() : 0; }
bool CLightControlUI::IsMultiColour() const { return multiColour_ != nullptr && multiColour_->IsSelected(); }
bool CLightControlUI::IsDirectionFirst() const {
    return directionFirstOption_ != nullptr && directionFirstOption_->IsSelected();
}
Rgb CLightControlUI::GetColour() const { return ColourOf(shown_); }

int CLightControlUI::PresetButtonIndex(const ui::CControlUI* sender) const {
    const auto found = std::find(presetColours_.begin(), presetColours_.end(), sender);
    return found != presetColours_.end() ? static_cast<int>(found - presetColours_.begin()) : -1;
}

std::optional<LightPanelAction> CLightControlUI::OnNotify(const ui::TNotifyUI& msg) {
    ui::CControlUI* sender = msg.pSender;
    if (sender == nullptr) return std::nullopt;
    const QString& type = msg.sType;
    if (type == "itemselect") {
        const int index = static_cast<int>(msg.wParam);
        if (modes_ != nullptr && sender == modes_) {
            ApplyModeLayout(index);
            return LightPanelAction{.change = {.mode = static_cast<uint8_t>(index)}};
        }
        if (presets_ != nullptr && sender == presets_) {
            return LightPanelAction{.change = {.preset = static_cast<uint8_t>(index)}};
        }
        if (customSets_ != nullptr && sender == customSets_ && deviceType_ == kPanelTypeKeyboard) {
            return LightPanelAction{.kind = LightPanelAction::Kind::CustomSet, .index = index};
        }
        return std::nullopt;
    }
    if (type == "valuechanged") {
        const auto value = static_cast<uint8_t>(msg.wParam);
        if (brightness_ != nullptr && sender == brightness_) return LightPanelAction{.change = {.brightness = value}};
        if (speed_ != nullptr && sender == speed_) return LightPanelAction{.change = {.speed = value}};
        return std::nullopt;
    }
    if (type == "selectchanged") {
        auto* option = dynamic_cast<ui::COptionUI*>(sender);
        return option != nullptr ? OnSelectChanged(option) : std::nullopt;
    }
    if (palette_ != nullptr && sender == palette_) {
        // A drag shows its colour as it goes; where it ends is the choice.
        if (type == "colorchanging") ShowColour(FromArgb(static_cast<quint32>(msg.wParam)), true);
        if (type == "colorchanged") return OnColourPicked(FromArgb(static_cast<quint32>(msg.wParam)), false);
        return std::nullopt;
    }
    if (type == "return" || type == "killfocus") {
        for (size_t i = 0; i < channels_.size(); ++i) {
            if (channels_[i] != nullptr && sender == channels_[i]) return OnChannelCommitted(static_cast<int>(i));
        }
        return std::nullopt;
    }
    if (type == "click") return OnClick(sender);
    return std::nullopt;
}

std::optional<LightPanelAction> CLightControlUI::OnSelectChanged(ui::COptionUI* option) {
    if (option == multiColour_) {
        return LightPanelAction{.change = {.multicolour = static_cast<uint8_t>(option->IsSelected() ? 1 : 0)}};
    }
    if (option != directionFirstOption_ && option != directionSecondOption_) return std::nullopt;
    // A pick in the pair also clears the other, which notifies as well: only the newly
    // selected one is a choice.
    if (!option->IsSelected()) return std::nullopt;
    const bool first = option == directionFirstOption_;
    Select(directionFirstOption_, first);
    Select(directionSecondOption_, !first);
    return LightPanelAction{.change = {.direction = static_cast<uint8_t>(first ? 1 : 0)}};
}

std::optional<LightPanelAction> CLightControlUI::OnColourPicked(const Rgb& colour, bool keepsSync) {
    ShowColour(colour, true);
    Select(multiColour_, false);
    return LightPanelAction{.change = {.multicolour = 0, .colour = colour}, .keepsSync = keepsSync};
}

std::optional<LightPanelAction> CLightControlUI::OnChannelCommitted(int channel) {
    ui::CEditUI* edit = channels_[static_cast<size_t>(channel)];
    const int value = ChannelValue(edit->GetText());
    edit->SetText(QString::number(value));
    Rgb colour = ColourOf(shown_);
    std::array<uint8_t*, 3> parts = {&colour.red, &colour.green, &colour.blue};
    // Enter and the focus leaving commit the same text: once is enough.
    if (*parts[static_cast<size_t>(channel)] == value && shown_.multiColor == 0) return std::nullopt;
    *parts[static_cast<size_t>(channel)] = static_cast<uint8_t>(value);
    ShowColour(colour, false);
    Select(multiColour_, false);
    return LightPanelAction{.change = {.multicolour = 0, .colour = colour}};
}

std::optional<LightPanelAction> CLightControlUI::OnClick(ui::CControlUI* sender) {
    if (const int preset = PresetButtonIndex(sender); preset >= 0) {
        const QColor background = sender->GetBkColor();
        if (!background.isValid()) return std::nullopt;
        return OnColourPicked(FromArgb(background.rgba()), true);
    }
    if (deviceType_ != kPanelTypeKeyboard) return std::nullopt;
    if (fillAll_ != nullptr && sender == fillAll_) {
        return LightPanelAction{.kind = LightPanelAction::Kind::FillKeys, .colour = ColourOf(shown_)};
    }
    if (blackOut_ != nullptr && sender == blackOut_) {
        return LightPanelAction{.kind = LightPanelAction::Kind::FillKeys, .colour = Rgb{0, 0, 0}};
    }
    if (lightsOff_ != nullptr && sender == lightsOff_) return LightPanelAction{.change = {.lightsOff = true}};
    if (lightsOn_ != nullptr && sender == lightsOn_) return LightPanelAction{.change = {.lightsOff = false}};
    return std::nullopt;
}

}  // namespace velnor7
