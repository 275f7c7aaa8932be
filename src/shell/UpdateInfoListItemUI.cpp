#include "shell/UpdateInfoListItemUI.h"

#include "shell/CircleProgressUI.h"
#include "ui/ButtonUI.h"


namespace velnor7 {

namespace {

struct StateLook {
    const char* text;
    bool busy;
    bool done;
    bool checkEnabled;
    bool offered;  // the name in the accent colours of a target with something to do
};

// What each state shows (0..8).
constexpr StateLook kLooks[] = {
    {"LessUpdateText", false, false, false, false},  {"NeedUpdateText", false, false, true, true},
    {"NeedUpdateText", false, false, true, true},    {"DownloadWaitText", false, false, false, true},
    {"DownloadIngText", true, false, false, true},   {"DownloadOkText", false, true, false, true},
    {"UpdateIngText", true, false, false, true},     {"UpdateOkText", false, false, false, false},
    {"UpdateFailText", false, false, true, true},
};

const QColor kPlainName(0xFF, 0xFF, 0xFF);
const QColor kPlainDisabled(0x66, 0x66, 0x66);
const QColor kOfferedName(0x00, 0x99, 0xFF);
const QColor kOfferedDisabled(0x00, 0x78, 0xC8);

}  // namespace

QString CUpdateInfoListItemUI::GetClass() const { return "UpdateInfoListItemUI"; }

void CUpdateInfoListItemUI::FindParts() {
    if (partsFound_) return;
    partsFound_ = true;
    check_ = dynamic_cast<ui::COptionUI*>(FindSubControl("check_name_select"));
    oldVersion_ = FindSubControl("OldRev");
    newVersion_ = FindSubControl("updateRev");
    statusText_ = FindSubControl("update_status_text");
    busy_ = dynamic_cast<CCircleProgressUI*>(FindSubControl("update_status_ing"));
    progressText_ = FindSubControl("update_progress_value");
    done_ = FindSubControl("update_status_ok");
}

void CUpdateInfoListItemUI::ShowBusy(bool busy) {
    if (busy_ != nullptr) busy_->SetVisible(busy);
    if (progressText_ != nullptr) progressText_->SetVisible(busy);
    SetProgress(0);
}

void CUpdateInfoListItemUI::SetStatus(int state) {
    // A text put in the state's place goes with the next state, even the same one.
    if (state == state_ && !ownText_) return;
    state_ = state;
    ownText_ = false;
    if (state < 0 || state >= static_cast<int>(std::size(kLooks))) return;
    FindParts();
    const StateLook& look = kLooks[state];
    if (statusText_ != nullptr) statusText_->SetText(QString::fromLatin1(look.text));
    ShowBusy(look.busy);
    if (done_ != nullptr) done_->SetVisible(look.done);
    SetCheckEnabled(look.checkEnabled);
    if (check_ != nullptr) {
        check_->SetTextColor(look.offered ? kOfferedName : kPlainName);
        check_->SetDisabledTextColor(look.offered ? kOfferedDisabled : kPlainDisabled);
    }
}

void CUpdateInfoListItemUI::SetStatusText(const QString& textId) {
    FindParts();
    if (statusText_ != nullptr) statusText_->SetText(textId);
    ownText_ = true;
}

void CUpdateInfoListItemUI::SetName(const QString& text) {
    FindParts();
    if (check_ != nullptr) check_->SetText(text);
}

void CUpdateInfoListItemUI::SetOldVersion(const QString& text) {
    FindParts();
    if (oldVersion_ != nullptr) oldVersion_->SetText(text);
}

QString CUpdateInfoListItemUI::GetOldVersion() {
    FindParts();
    return oldVersion_ != nullptr ? oldVersion_->GetText() : QString();
}

void CUpdateInfoListItemUI::SetNewVersion(const QString& text) {
    FindParts();
    if (newVersion_ == nullptr) return;
    newVersion_->SetText(text);
    newVersion_->SetVisible(!text.isEmpty());
}

QString CUpdateInfoListItemUI::GetNewVersion() {
    FindParts();
    return newVersion_ != nullptr ? newVersion_->GetText() : QString();
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    progress_ = percent;
    FindParts();
    if (progressText_ != nullptr) progressText_->SetText(QStringLiteral("%1%").arg(percent));
    if (busy_ != nullptr) busy_->SetValue(percent);
}

bool CUpdateInfoListItemUI::IsChecked() {
    FindParts();
    return check_ != nullptr && check_->IsSelected();
}

void CUpdateInfoListItemUI::SetChecked(bool checked) {
    FindParts();
    if (check_ != nullptr) check_->Selected(checked, true);
}

void CUpdateInfoListItemUI::SetCheckEnabled(bool enabled) {
    FindParts();
    if (check_ != nullptr) check_->SetEnabled(enabled);
}

bool CUpdateInfoListItemUI::IsCheckEnabled() {
    FindParts();
    return check_ != nullptr && check_->IsEnabled();
}

}  // namespace velnor7
