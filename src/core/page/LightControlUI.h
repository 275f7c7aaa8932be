// The lighting panel of a device page: the light mode and its parameters (brightness, speed,
// direction, one colour or many, the preset colour of the preset mode, the custom colour set
// of the custom mode), the light switch and the buttons that colour every key at once.
//
// The panel holds no settings of its own: it shows a light record, arranges itself for the
// mode shown, and turns what the user does into an action for its page to carry out.
#pragma once

#include "core/page/LightPanelLayout.h"
#include "profiles/LightNameLists.h"
#include "profiles/LightingChange.h"
#include "profiles/ProfileRecords.h"
#include "ui/ContainerUI.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace velnor7 {

namespace ui {
class CButtonUI;
class CColorPaletteUI;
class CComboUI;
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace ui

// What the user asked of the panel.
struct LightPanelAction {
    enum class Kind {
        Change,     // `change` of the light record
        CustomSet,  // the custom colour set `index` (keyboard)
        FillKeys,   // every key takes `colour` (keyboard, custom mode)
    };
    Kind kind = Kind::Change;
    LightingChange change = {};
    // The preset colour buttons leave the lighting synchronisation running; every other change
    // ends it.
    bool keepsSync = false;
    int index = -1;
    Rgb colour = {};
};

class CLightControlUI : public ui::CHorizontalLayoutUI {
public:
    static constexpr int kPresetColourButtons = 12;  // "color_option_0" ... "color_option_11"

    QString GetClass() const override;
    // Finds the panel's controls below it; those the layout lacks are left out.
    void Bind();

    // The device type of the page (1 keyboard, 2 mouse, 3 mouse pad, 4 and 7 headset); it
    // chooses how each mode arranges the panel.
    void SetDeviceType(int type) { deviceType_ = type; }
    int GetDeviceType() const { return deviceType_; }

    // The modes by number; a mode that is not visible is not offered.
    void FillModeList(const std::vector<LightModeName>& modes, int brightnessMax, int speedMax);
    void FillCustomSets(const std::vector<std::string>& names);
    // The record's values, without a notification; the panel arranges itself for its mode.
    void ShowValues(const LightInfoRecord& light);
    void ApplyModeLayout(int mode);
    // Whether the "same mode" button may show (several lit devices are attached).
    void SetSyncPermission(bool granted);

    int GetMode() const;
    int GetPreset() const;
    int GetCustomSet() const;  // -1: none
    int GetBrightness() const;
    int GetSpeed() const;
    QString GetChannelText(int channel) const;  // 0 red, 1 green, 2 blue
    quint32 GetPaletteColour() const;
    bool IsMultiColour() const;
    bool IsDirectionFirst() const;  // "deng_FXL_check" selected
    // The colour the record shows.
    Rgb GetColour() const;

    // A notification from below the panel; the action the user asked for, if any. The panel
    // has already shown the result (a clamped edit, the mode's arrangement, the new colour).
    std::optional<LightPanelAction> OnNotify(const ui::TNotifyUI& msg);
    // The shown record after the page carried out an action (or refused it).
    void TakeRecord(const LightInfoRecord& light) { shown_ = light; }


private:
    void ShowColour(const Rgb& colour, bool inEdits);
    void ShowDirectionTexts(const char* first, const char* second);
    void ApplyPart(ui::CControlUI* part, PartState state);
    std::optional<LightPanelAction> OnColourPicked(const Rgb& colour, bool keepsSync);
    std::optional<LightPanelAction> OnChannelCommitted(int channel);
    std::optional<LightPanelAction> OnSelectChanged(ui::COptionUI* option);
    std::optional<LightPanelAction> OnClick(ui::CControlUI* sender);
    int PresetButtonIndex(const ui::CControlUI* sender) const;

    int deviceType_ = kPanelTypeKeyboard;
    bool syncGranted_ = false;
    LightInfoRecord shown_;
    const char* directionFirst_ = kKeyboardDirectionFirst;
    const char* directionSecond_ = kKeyboardDirectionSecond;

    ui::CComboUI* modes_ = nullptr;
    ui::CComboUI* presets_ = nullptr;
    ui::CComboUI* customSets_ = nullptr;
    ui::CSliderUI* brightness_ = nullptr;
    ui::CSliderUI* speed_ = nullptr;
    std::array<ui::CEditUI*, 3> channels_{};
    ui::CColorPaletteUI* palette_ = nullptr;
    std::array<ui::CButtonUI*, kPresetColourButtons> presetColours_{};
    ui::CButtonUI* currentColour_ = nullptr;
    ui::COptionUI* multiColour_ = nullptr;
    ui::COptionUI* directionFirstOption_ = nullptr;
    ui::COptionUI* directionSecondOption_ = nullptr;
    ui::CControlUI* sameMode_ = nullptr;
    ui::CButtonUI* fillAll_ = nullptr;
    ui::CButtonUI* blackOut_ = nullptr;
    ui::CButtonUI* lightsOff_ = nullptr;
    ui::CButtonUI* lightsOn_ = nullptr;
    ui::CControlUI* effectLayout_ = nullptr;
    ui::CControlUI* colourLayout_ = nullptr;
    ui::CControlUI* paletteLayout_ = nullptr;
    ui::CControlUI* brightnessLayout_ = nullptr;
    ui::CControlUI* speedLayout_ = nullptr;
    ui::CControlUI* directionLayout_ = nullptr;
    ui::CControlUI* customLayout_ = nullptr;
    ui::CControlUI* switchLayout_ = nullptr;
    ui::CControlUI* presetLayout_ = nullptr;
};

}  // namespace velnor7
