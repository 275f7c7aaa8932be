#pragma once
// The settings window: the language, and the updates of the program and of the attached
// devices' firmware. On opening it asks the update service about every target, lists them
// with their installed and offered versions, downloads what the user picks with progress, and
// starts the installers one after another. Queries and downloads run on two threads of their
// own; everything they find reaches the window on the UI thread.

#include "common/Event.h"
#include "common/WorkerThread.h"
#include "core/DeviceCatalogue.h"
#include "shell/InstallerStart.h"
#include "ui/WindowImplBase.h"
#include "update/UpdateClient.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velnor7 {

class CUpdateInfoListItemUI;

class CSetWnd : public ui::WindowImplBase {
public:
    static constexpr int kDefaultDpi = 96;
    // Window states.
    static constexpr int kChecking = 0;
    static constexpr int kUpdatesAvailable = 1;
    static constexpr int kUnreachable = 2;
    static constexpr int kUpdating = 3;
    static constexpr int kUpToDate = 4;
    // Messages.
    static constexpr unsigned kMsgLanguage = 3089;   // to the owner: wParam the language index; from it: reword
    static constexpr unsigned kMsgUpdateSeen = 3094;  // to the owner: nothing is left to update
    static constexpr int kTimerRing = 1;              // the checking ring turns
    static constexpr int kRowHeight = 50;

    CSetWnd();
    ~CSetWnd() override;

    QString GetSkinFile() const override { return "XML/setwnd.xml"; }
    QString GetWindowClassName() const override { return "SetWnd"; }

    // 48 to 192 in steps of 24; any other value is traced and 96 used.
    void SetDpi(int dpi);
    int GetDpiValue() const { return dpi_; }
    void SetOwner(ui::WindowHandle owner, int languageIndex);
    void SetUpdateTargets(std::vector<UpdateTargetRow> rows);
    // The service asked (tests, or a service of the user's own); the user's setting and
    // VELNOR7_UPDATE_URL otherwise.
    void SetServiceUrl(std::string url) { serviceUrl_ = std::move(url); }
    // What starts a downloaded installer (StartInstaller unless set).
    using InstallerStarter = std::function<InstallerLaunch(const QString& file, const QString& folder,
                                                           std::function<void(bool ok)> ended)>;
    void SetInstallerStarter(InstallerStarter starter) { startInstaller_ = std::move(starter); }
    // Where installers are downloaded to: a folder of the user's own.
    static std::string DownloadFolder();
    static std::string CheckDateFile();

    int AddListItem(UpdateInfo record);
    int UpdateListItem(UpdateInfo record, int index);
    void ShowWindowState(int state);
    int GetWindowState() const { return windowState_; }
    const QString& GetCheckDate() const { return checkDate_; }
    int RowCount() const;
    CUpdateInfoListItemUI* Row(int index) const;
    const std::vector<UpdateInfo>& Records() const { return records_; }
    // A download is waiting or running, or an installer the window started still runs: the
    // window stays open.
    bool Busy() const;
    // Ends the queries and downloads (they fail) and joins both threads.
    void StopThreads();

protected:
    void InitWindow() override;
    void OnNotify(ui::TNotifyUI& msg) override;
    long MessageHandler(const ui::WindowMessage& message, bool& handled) override;

private:
    struct DownloadJob {
        int row;
        std::string url;
        std::string localFile;
    };

    void StartThreads();
    void CheckBody(Event& stop);
    void DownloadBody(Event& stop);
    // The check's end, on the UI thread.
    void FinishCheck(int unreachable);
    void OnConfirm();
    void OnDownloadEnded(int row, bool ok, const std::string& reason);
    // One installer at a time: the first picked row that is downloaded, unless one installs.
    void StartNextInstaller();
    void OnInstallerEnded(int row, bool ok);
    void OnForward(std::uintptr_t wParam, std::intptr_t lParam);
    void OnCheckChanged();
    void TryClose();
    // Runs `work` on the UI thread while this window lives.
    void Post(std::function<void()> work);
    CUpdateInfoListItemUI* BuildRow();

    ui::WindowHandle owner_ = 0;
    int languageIndex_ = -1;
    int dpi_ = kDefaultDpi;
    std::vector<UpdateTargetRow> targets_;
    std::vector<UpdateInfo> records_;
    int windowState_ = kChecking;
    int currentItem_ = -1;
    QString checkDate_;
    std::string serviceUrl_;
    std::string downloadFolder_;  // made ready once, when the threads start
    unsigned forwardMessage_ = 0;
    bool threadsStarted_ = false;

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::shared_ptr<CUpdateClient> checkClient_;
    std::shared_ptr<CUpdateClient> downloadClient_;
    WorkerThread checkThread_;
    WorkerThread downloadThread_;
    std::mutex jobsLock_;
    std::vector<DownloadJob> jobs_;
    Event downloadRequested_{Event::Reset::Automatic};
    int runningInstallers_ = 0;
    InstallerStarter startInstaller_ = StartInstaller;
};

}  // namespace velnor7
