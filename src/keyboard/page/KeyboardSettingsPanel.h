// The settings panel of the keyboard page: the report rate ("polling_rate_option_"0..3),
// the Windows-key lock and two further keyboard flags, the computer's key repeat rate
// (a slider 0..31) and delay ("repeat_delay_check_"0..3, 250..1000 ms) with a field to try
// them. It shows the profile's values without a notification, and turns what the user
// changes into a KeyboardSettingsChange for the page to apply.
#pragma once

#include "keyboard/KeyboardSettings.h"
#include "profiles/ProfileRecords.h"
#include "ui/UiTypes.h"

#include <array>
#include <functional>

namespace velnor7 {

namespace ui {
class CButtonUI;
class CContainerUI;
class CLabelUI;
class COptionUI;
class CRichEditUI;
class CSliderUI;
}  // namespace ui

class CKeyboardSettingsPanel {
public:
    // Finds the controls below the page; those the layout lacks are left out.
    void Bind(ui::CContainerUI& page);

    // The profile's values; nothing is sent. A report rate or delay outside 0..3 shows as
    // choice 0, while the profile keeps it.
    void Show(const KeyboardSystemValues& values);
    // The delay label in the current language.
    void ReloadText();

    using ApplyChange = std::function<void(const KeyboardSettingsChange&)>;
    // A notification of one of the panel's controls: true, and `apply` runs when the user
    // changed a value. `stored` are the values the profile holds now.
    bool OnNotify(const ui::TNotifyUI& msg, const KeyboardSystemValues& stored, const ApplyChange& apply);

private:
    // A value outside 0..last shows as choice 0.
    static int ChoiceShown(int value, int last);
    void ShowPollingRate(int value);
    void ShowRepeatDelay(int value);
    // The index of `sender` in `options`; -1 when it is none of them.
    template <size_t N>
    static int IndexOf(const std::array<ui::COptionUI*, N>& options, const ui::CControlUI* sender);
    bool OnSelectChanged(ui::COptionUI* option, const ApplyChange& apply);
    bool OnClick(const ui::CControlUI* sender, const KeyboardSystemValues& stored, const ApplyChange& apply);

    std::array<ui::COptionUI*, kMaxPollingRate + 1> pollingRate_{};
    ui::COptionUI* winLock_ = nullptr;
    ui::COptionUI* wFlag_ = nullptr;
    ui::COptionUI* key6Flag_ = nullptr;
    ui::CSliderUI* repeatRate_ = nullptr;
    std::array<ui::COptionUI*, kMaxRepeatDelay + 1> repeatDelay_{};
    ui::CLabelUI* delayLabel_ = nullptr;
    ui::CRichEditUI* tryField_ = nullptr;
    ui::CButtonUI* clearTryField_ = nullptr;
    int delayShown_ = 0;
};

}  // namespace velnor7
