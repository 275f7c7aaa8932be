#pragma once
// One row of the settings window's update list: a target's name (a check box that picks it
// for updating), its installed and offered versions, and its state with a busy ring, a
// progress text or a done mark.

#include "ui/ListUI.h"

namespace velnor7 {

namespace ui {
class COptionUI;
}
class CCircleProgressUI;

class CUpdateInfoListItemUI : public ui::CListContainerElementUI {
public:
    // Row states.
    static constexpr int kNoAnswer = 0;
    static constexpr int kNewer = 1;
    static constexpr int kNewerToo = 2;
    static constexpr int kWaiting = 3;
    static constexpr int kDownloading = 4;
    static constexpr int kDownloaded = 5;
    static constexpr int kInstalling = 6;
    static constexpr int kCurrent = 7;
    static constexpr int kFailed = 8;

    QString GetClass() const override;

    // A state equal to the current one changes nothing (unless SetStatusText showed a text of
    // its own); one outside 0..8 is kept and shown as nothing new.
    void SetStatus(int state);
    int GetStatus() const { return state_; }
    void SetName(const QString& text);
    void SetOldVersion(const QString& text);
    QString GetOldVersion();
    // Hidden while empty.
    void SetNewVersion(const QString& text);
    QString GetNewVersion();
    void SetProgress(int percent);
    int GetProgress() const { return progress_; }
    bool IsChecked();
    // Notifies the check box's "selectchanged".
    void SetChecked(bool checked);
    void SetCheckEnabled(bool enabled);
    bool IsCheckEnabled();
    // The state's text in place of its own (a row waiting for its answer says so).
    void SetStatusText(const QString& textId);

private:
    // The parts, found once on first use (they come with the row's layout).
    void FindParts();
    void ShowBusy(bool busy);

    bool partsFound_ = false;
    ui::COptionUI* check_ = nullptr;
    ui::CControlUI* oldVersion_ = nullptr;
    ui::CControlUI* newVersion_ = nullptr;
    ui::CControlUI* statusText_ = nullptr;
    CCircleProgressUI* busy_ = nullptr;
    ui::CControlUI* progressText_ = nullptr;
    ui::CControlUI* done_ = nullptr;
    int state_ = 0;
    int progress_ = 0;
    bool ownText_ = false;  // SetStatusText is shown
};

}  // namespace velnor7
