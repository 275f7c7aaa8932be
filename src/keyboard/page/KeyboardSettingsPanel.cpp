#include "keyboard/page/KeyboardSettingsPanel.h"

#include "ui/ButtonUI.h"
#include "ui/ContainerUI.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ResourceManager.h"
#include "ui/SliderUI.h"

namespace velnor7 {

namespace {

template <class T>
T* Find(ui::CContainerUI& page, const QString& name) {
    return dynamic_cast<T*>(page.FindSubControl(name));
}

// Without a notification: showing a value is no change of it.
void Select(ui::COptionUI* option, bool selected) {
    if (option != nullptr) option->Selected(selected, false);
}

}  // namespace

void CKeyboardSettingsPanel::Bind(ui::CContainerUI& page) {
    for (size_t i = 0; i < pollingRate_.size(); ++i) {
        pollingRate_[i] = Find<ui::COptionUI>(page, QStringLiteral("polling_rate_option_%1").arg(i));
    }
    winLock_ = Find<ui::COptionUI>(page, QStringLiteral("winlockflag_option"));
    wFlag_ = Find<ui::COptionUI>(page, QStringLiteral("wflag_option"));
    key6Flag_ = Find<ui::COptionUI>(page, QStringLiteral("6flag_option"));
    repeatRate_ = Find<ui::CSliderUI>(page, QStringLiteral("repeat_rate_slider"));
    for (size_t i = 0; i < repeatDelay_.size(); ++i) {
        repeatDelay_[i] = Find<ui::COptionUI>(page, QStringLiteral("repeat_delay_check_%1").arg(i));
    }
    delayLabel_ = Find<ui::CLabelUI>(page, QStringLiteral("repeat_delay_time_label1"));
    tryField_ = Find<ui::CRichEditUI>(page, QStringLiteral("repeat_input_richedit"));
    clearTryField_ = Find<ui::CButtonUI>(page, QStringLiteral("reset_repeat_btn"));
}

int CKeyboardSettingsPanel::ChoiceShown(int value, int last) { return value < 0 || value > last ? 0 : value; }

void CKeyboardSettingsPanel::ShowPollingRate(int value) {
    const int shown = ChoiceShown(value, kMaxPollingRate);
    for (size_t i = 0; i < pollingRate_.size(); ++i) Select(pollingRate_[i], static_cast<int>(i) == shown);
}

void CKeyboardSettingsPanel::ShowRepeatDelay(int value) {
    delayShown_ = ChoiceShown(value, kMaxRepeatDelay);
    for (size_t i = 0; i < repeatDelay_.size(); ++i) Select(repeatDelay_[i], static_cast<int>(i) == delayShown_);
    ReloadText();
}

void CKeyboardSettingsPanel::ReloadText() {
    if (delayLabel_ == nullptr) return;
    const QString title = ui::CResourceManager::Instance().TextOrSelf(QStringLiteral("Repeat_Delay_Time"));
    delayLabel_->SetText(title + QString::number(RepeatDelayMs(delayShown_)) + QStringLiteral("ms"));
}

void CKeyboardSettingsPanel::Show(const KeyboardSystemValues& values) {
    Select(winLock_, values.winFlag != 0);
    Select(wFlag_, values.wFlag != 0);
    Select(key6Flag_, values.key6Flag != 0);
    if (repeatRate_ != nullptr) repeatRate_->SetValue(values.repeat);
    ShowRepeatDelay(values.repeatDelay);
    if (tryField_ != nullptr) {
        tryField_->SetText(QString());
        tryField_->SetTipValue(QStringLiteral("Repeat_input_text"));
    }
    ShowPollingRate(values.pollingRate);
}

template <size_t N>
int CKeyboardSettingsPanel::IndexOf(const std::array<ui::COptionUI*, N>& options, const ui::CControlUI* sender) {
    for (size_t i = 0; i < N; ++i) {
        if (options[i] != nullptr && options[i] == sender) return static_cast<int>(i);
    }
    return -1;
}

bool CKeyboardSettingsPanel::OnNotify(const ui::TNotifyUI& msg, const KeyboardSystemValues& stored,
                                      const ApplyChange& apply) {
    if (msg.pSender == nullptr) return false;
    if (msg.sType == "selectchanged") {
        auto* option = dynamic_cast<ui::COptionUI*>(msg.pSender);
        return option != nullptr && OnSelectChanged(option, apply);
    }
    if (msg.sType == "click") return OnClick(msg.pSender, stored, apply);
    if (msg.sType == "valuechanged" && repeatRate_ != nullptr && msg.pSender == repeatRate_) {
        apply(KeyboardSettingsChange{.repeatRate = repeatRate_->GetValue()});
        return true;
    }
    return false;
}

bool CKeyboardSettingsPanel::OnSelectChanged(ui::COptionUI* option, const ApplyChange& apply) {
    // A pick in a group also deselects the option picked before, which notifies as well:
    // only the newly selected one is a choice.
    if (const int rate = IndexOf(pollingRate_, option); rate >= 0) {
        if (option->IsSelected()) {
            ShowPollingRate(rate);
            apply(KeyboardSettingsChange{.pollingRate = rate});
        }
        return true;
    }
    if (const int delay = IndexOf(repeatDelay_, option); delay >= 0) {
        if (option->IsSelected()) {
            ShowRepeatDelay(delay);
            apply(KeyboardSettingsChange{.repeatDelay = delay});
        }
        return true;
    }
    const bool on = option->IsSelected();
    if (option == winLock_) {
        apply(KeyboardSettingsChange{.winLock = on});
    } else if (option == wFlag_) {
        apply(KeyboardSettingsChange{.wFlag = on});
    } else if (option == key6Flag_) {
        apply(KeyboardSettingsChange{.key6Flag = on});
    } else {
        return false;
    }
    return true;
}

bool CKeyboardSettingsPanel::OnClick(const ui::CControlUI* sender, const KeyboardSystemValues& stored,
                                     const ApplyChange& apply) {
    if (clearTryField_ != nullptr && sender == clearTryField_) {
        if (tryField_ != nullptr) tryField_->SetText(QString());
        return true;
    }
    // A value outside the choices shows as choice 0, and a click on the option already
    // selected changes no selection; it still is the user's pick, so it is taken here.
    if (const int rate = IndexOf(pollingRate_, sender); rate >= 0) {
        if (pollingRate_[static_cast<size_t>(rate)]->IsSelected() && stored.pollingRate != rate) {
            apply(KeyboardSettingsChange{.pollingRate = rate});
        }
        return true;
    }
    if (const int delay = IndexOf(repeatDelay_, sender); delay >= 0) {
        if (repeatDelay_[static_cast<size_t>(delay)]->IsSelected() && stored.repeatDelay != delay) {
            apply(KeyboardSettingsChange{.repeatDelay = delay});
        }
        return true;
    }
    return false;
}

}  // namespace velnor7
