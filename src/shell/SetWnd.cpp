#include "shell/SetWnd.h"

#include "common/JsonFile.h"
#include "common/Paths.h"
#include "common/Trace.h"
#include "shell/InstallerStart.h"
#include "shell/Languages.h"
#include "shell/ShowMessage.h"
#include "shell/UpdateInfoListItemUI.h"
#include "shell/UserSettings.h"
#include "ui/ComboUI.h"
#include "ui/ContainerUI.h"
#include "ui/DialogBuilder.h"
#include "ui/ListUI.h"
#include "ui/ProgressUI.h"
#include "ui/ResourceManager.h"
#include "ui/UiThread.h"
#include "ui/WindowMessages.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdio>

namespace velnor7 {

namespace {

constexpr int kRingStepMs = 50;
constexpr int kRingStep = 5;  // percent of a turn per step
const char* const kRowLayout = "XML/CustomControlXML/device_Update_list_item.xml";
const char* const kUpdateUrlSetting = "UpdateUrl";

QString Today() {
    const QDate today = QDate::currentDate();
    return QStringLiteral("%1-%2-%3").arg(today.year()).arg(today.month()).arg(today.day());
}

void WriteCheckDate(const QString& date) {
    Json::Value document;
    document["updatelasttime"]["value"] = date.toStdString();
    if (wirtejsonFile(CSetWnd::CheckDateFile(), document) != 0) {
        Trace("update: the check date could not be written to %s", CSetWnd::CheckDateFile().c_str());
    }
}

// The installed version as a row shows it before the service answered.
std::string PlaceholderVersion(const UpdateTargetRow& row) {
    if (row.versionFormat == 0) return row.versionText;
    char text[16];
    std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(row.currentVersion));
    return text;
}

}  // namespace

CSetWnd::CSetWnd() : forwardMessage_(ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}")) {}

CSetWnd::~CSetWnd() {
    *alive_ = false;
    StopThreads();
}

std::string CSetWnd::DownloadFolder() {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/VELNOR7/UpdateData/";
    QDir().mkpath(folder);
    // Installers are started from here: nobody else may put one in.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFile::encodeName(folder).toStdString();
}

std::string CSetWnd::CheckDateFile() { return UserDataDirectory("") + "updatetime.config"; }

void CSetWnd::SetDpi(int dpi) {
    if (!IsDpiStep(dpi)) {
        Trace("SET_WND DPI SET ERROR");
        dpi = kDefaultDpi;
    }
    if (dpi == dpi_) return;
    dpi_ = dpi;
    SetDPI(dpi);
}

void CSetWnd::SetOwner(ui::WindowHandle owner, int languageIndex) {
    owner_ = owner;
    languageIndex_ = languageIndex;
}

void CSetWnd::SetUpdateTargets(std::vector<UpdateTargetRow> rows) { targets_ = std::move(rows); }

void CSetWnd::InitWindow() {
    if (ui::CControlUI* version = FindControl("app_version")) version->SetText(VELNOR7_VERSION);
}

void CSetWnd::Post(std::function<void()> work) {
    ui::PostToUiThread([alive = alive_, work = std::move(work)] {
        if (*alive) work();
    });
}

// ---------------------------------------------------------------- start and the check

void CSetWnd::StartThreads() {
    if (threadsStarted_) return;
    threadsStarted_ = true;
    CLanguages::FillLanguageCombo(FindControlAs<ui::CComboUI>("Language_combox_info"), languageIndex_);

    const Json::Value stored = LoadJsonFile(CheckDateFile());
    const Json::Value& date = stored.isObject() && stored["updatelasttime"].isObject() ? stored["updatelasttime"]["value"]
                                                                                      : Json::Value::nullSingleton();
    if (date.isString()) {
        checkDate_ = QString::fromStdString(date.asString());
    } else {
        checkDate_ = Today();
        WriteCheckDate(checkDate_);
    }

    std::string url = serviceUrl_;
    if (url.empty()) {
        const std::unique_ptr<QSettings> settings = OpenUserSettings();
        url = UpdateServiceUrl(settings ? settings->value(kUpdateUrlSetting).toString().toStdString() : std::string());
    }
    downloadFolder_ = DownloadFolder();
    checkClient_ = std::make_shared<CUpdateClient>(url);
    downloadClient_ = std::make_shared<CUpdateClient>(url);

    ShowWindowState(kChecking);
    for (const UpdateTargetRow& row : targets_) {
        UpdateInfo placeholder;
        placeholder.status = CUpdateInfoListItemUI::kCurrent;
        placeholder.name = QString::fromLatin1(row.model).compare("ALL", Qt::CaseInsensitive) == 0 ? "AP" : row.displayName;
        placeholder.currentText = PlaceholderVersion(row);
        // Until the service answers, a row says it is being asked, not that it is current.
        if (AddListItem(placeholder) != 0) Row(RowCount() - 1)->SetStatusText("update_row_checking");
    }
    checkThread_.Start([this](Event& stop) { CheckBody(stop); });
    downloadThread_.Start([this](Event& stop) { DownloadBody(stop); });
}

void CSetWnd::CheckBody(Event& stop) {
    int unreachable = 0;
    for (size_t k = 0; k < targets_.size() && !stop.IsSet(); ++k) {
        const UpdateTargetRow& row = targets_[k];
        UpdateInfo record = checkClient_->QueryUpdate(MakeTargetKey(row), row.currentVersion, row.versionFormat != 0);
        if (QString::fromStdString(record.name).compare(kNoLinkServer, Qt::CaseInsensitive) == 0) {
            ++unreachable;
            record.name.clear();
        }
        if (record.name.empty()) {
            record.currentText = PlaceholderVersion(row);
            record.newText.clear();
            record.status = CUpdateInfoListItemUI::kCurrent;
        }
        record.name = row.displayName;
        Post([this, record, k] { UpdateListItem(record, static_cast<int>(k)); });
    }
    if (!stop.IsSet()) Post([this, unreachable] { FinishCheck(unreachable); });
}

void CSetWnd::FinishCheck(int unreachable) {
    bool offered = false;
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* row = Row(i);
        const int state = row->GetStatus();
        if (state != CUpdateInfoListItemUI::kCurrent && state != CUpdateInfoListItemUI::kNoAnswer) {
            row->SetCheckEnabled(true);
            row->SetChecked(true);
            offered = true;
        } else {
            row->SetCheckEnabled(false);
        }
    }
    OnCheckChanged();
    if (offered) ShowWindowState(kUpdatesAvailable);
    else if (unreachable == static_cast<int>(targets_.size())) ShowWindowState(kUnreachable);
    else ShowWindowState(kUpToDate);
}

// ---------------------------------------------------------------- rows

CUpdateInfoListItemUI* CSetWnd::BuildRow() {
    auto* row = dynamic_cast<CUpdateInfoListItemUI*>(ui::CDialogBuilder().Create(kRowLayout, this, &m_pm));
    if (row == nullptr) Trace("update: %s gave no row", kRowLayout);
    return row;
}

int CSetWnd::RowCount() const {
    const auto* list = FindControlAs<ui::CListUI>("device_update_list_info");
    return list != nullptr ? list->GetCount() : 0;
}

CUpdateInfoListItemUI* CSetWnd::Row(int index) const {
    const auto* list = FindControlAs<ui::CListUI>("device_update_list_info");
    return list != nullptr ? dynamic_cast<CUpdateInfoListItemUI*>(list->GetItemAt(index)) : nullptr;
}

int CSetWnd::AddListItem(UpdateInfo record) {
    auto* list = FindControlAs<ui::CListUI>("device_update_list_info");
    CUpdateInfoListItemUI* row = list != nullptr ? BuildRow() : nullptr;
    if (row == nullptr) return 0;
    row->SetFixedHeight(kRowHeight);
    row->SetName(QString::fromStdString(record.name));
    row->SetNewVersion(QString::fromStdString(record.newText));
    row->SetOldVersion(QString::fromStdString(record.currentText));
    row->SetStatus(record.status);
    row->SetUserData(QString::fromStdString(record.path));
    row->SetCheckEnabled(false);
    if (!list->Add(row)) return 0;
    record.localFile.clear();
    records_.push_back(std::move(record));
    return 1;
}

int CSetWnd::UpdateListItem(UpdateInfo record, int index) {
    CUpdateInfoListItemUI* row = Row(index);
    if (row == nullptr || index >= static_cast<int>(records_.size())) return 0;
    row->SetFixedHeight(kRowHeight);
    row->SetName(QString::fromStdString(record.name));
    row->SetOldVersion(QString::fromStdString(record.currentText));
    row->SetNewVersion(record.status == CUpdateInfoListItemUI::kCurrent ? QString() : QString::fromStdString(record.newText));
    row->SetStatus(record.status);
    row->SetUserData(QString::fromStdString(record.path));
    row->SetCheckEnabled(false);
    // The installer's own name, when the address ends in a plain file name; none otherwise.
    const std::optional<std::string> file = InstallerFileName(record.path);
    record.localFile = file ? downloadFolder_ + *file : std::string();
    records_[static_cast<size_t>(index)] = std::move(record);
    WriteCheckDate(Today());
    return 1;
}

// ---------------------------------------------------------------- states

void CSetWnd::ShowWindowState(int state) {
    windowState_ = state;
    const bool checking = state == kChecking;
    if (ui::CControlUI* ring = FindControl("update_status_ring")) ring->SetVisible(checking);
    if (ui::CControlUI* image = FindControl("update_status_image")) image->SetVisible(!checking);
    // The ring turns only while the check runs.
    if (checking) SetTimer(kTimerRing, kRingStepMs);
    else KillTimer(kTimerRing);
    static const std::array<const char*, 5> kTexts = {"GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText",
                                                      "ISUpdateINGText", "UpdateIsLastText"};
    ui::CControlUI* text = FindControl("Update_Status_text");
    if (state < 0 || state >= static_cast<int>(kTexts.size())) return;
    if (text != nullptr) {
        if (state == kUpToDate) {
            text->SetText(ui::CResourceManager::Instance().TextOrSelf(kTexts[static_cast<size_t>(state)]) + checkDate_);
        } else {
            text->SetText(QString::fromLatin1(kTexts[static_cast<size_t>(state)]));
        }
    }
    if (state == kUpToDate && owner_ != 0) ui::PostWindowMessage(owner_, ui::WindowMessage{kMsgUpdateSeen, 0, 0, {}});
}

bool CSetWnd::Busy() const {
    for (int i = 0; i < RowCount(); ++i) {
        const int state = Row(i)->GetStatus();
        if (state == CUpdateInfoListItemUI::kWaiting || state == CUpdateInfoListItemUI::kDownloading) return true;
    }
    return runningInstallers_ > 0;
}

void CSetWnd::OnCheckChanged() {
    bool any = false;
    for (int i = 0; i < RowCount() && !any; ++i) any = Row(i)->IsChecked();
    if (ui::CControlUI* start = FindControl("update_fw_and_ap")) {
        start->SetEnabled(any);
        start->SetVisible(any);
    }
}

// ---------------------------------------------------------------- downloads and installers

void CSetWnd::OnConfirm() {
    std::vector<DownloadJob> jobs;
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* row = Row(i);
        const int state = row->GetStatus();
        if (state == CUpdateInfoListItemUI::kNewer || state == CUpdateInfoListItemUI::kNewerToo) {
            if (row->IsChecked()) row->SetStatus(CUpdateInfoListItemUI::kWaiting);
            else row->SetCheckEnabled(false);
        }
        // A failed row still picked is fetched again.
        if (row->IsChecked() && (row->GetStatus() == CUpdateInfoListItemUI::kWaiting ||
                                 row->GetStatus() == CUpdateInfoListItemUI::kFailed)) {
            const UpdateInfo& record = records_[static_cast<size_t>(i)];
            jobs.push_back(DownloadJob{i, record.path, record.localFile});
        }
    }
    if (ui::CControlUI* start = FindControl("update_fw_and_ap")) start->SetEnabled(false);
    if (auto* tabs = FindControlAs<ui::CTabLayoutUI>("get_update_tab_layout")) tabs->SelectItem(0);
    if (jobs.empty()) return;
    {
        std::lock_guard lock(jobsLock_);
        jobs_.insert(jobs_.end(), jobs.begin(), jobs.end());
    }
    downloadRequested_.Set();
}

void CSetWnd::DownloadBody(Event& stop) {
    while (!stop.IsSet()) {
        downloadRequested_.Wait(-1);
        std::vector<DownloadJob> jobs;
        {
            std::lock_guard lock(jobsLock_);
            jobs.swap(jobs_);
        }
        for (const DownloadJob& job : jobs) {
            if (stop.IsSet()) break;
            Post([this, row = job.row] {
                if (CUpdateInfoListItemUI* item = Row(row)) item->SetStatus(CUpdateInfoListItemUI::kDownloading);
                ShowWindowState(kUpdating);
            });
            if (job.localFile.empty()) {
                Post([this, row = job.row] { OnDownloadEnded(row, false, "the installer's address names no file"); });
                continue;
            }
            int shown = -1;
            const DownloadResult result =
                downloadClient_->Download(job.url, job.localFile, [&](double total, double received) {
                    if (total <= 0) return;
                    // Only a new percentage is worth a trip to the window.
                    const int percent = static_cast<int>(received * 100 / total);
                    if (percent == shown) return;
                    shown = percent;
                    Post([this, row = job.row, percent] {
                        if (CUpdateInfoListItemUI* item = Row(row)) item->SetProgress(percent);
                    });
                });
            Post([this, row = job.row, result] { OnDownloadEnded(row, result.ok, result.reason); });
        }
    }
}

void CSetWnd::OnDownloadEnded(int row, bool ok, const std::string& reason) {
    CUpdateInfoListItemUI* item = Row(row);
    if (item == nullptr) return;
    if (!ok) {
        Trace("update: the download of row %d failed: %s", row, reason.c_str());
        item->SetStatus(CUpdateInfoListItemUI::kFailed);
        if (ui::CControlUI* start = FindControl("update_fw_and_ap")) start->SetEnabled(true);
        return;
    }
    item->SetProgress(100);
    item->SetStatus(CUpdateInfoListItemUI::kDownloaded);
    StartNextInstaller();
}

void CSetWnd::StartNextInstaller() {
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* row = Row(i);
        if (!row->IsChecked()) continue;
        if (row->GetStatus() == CUpdateInfoListItemUI::kInstalling && runningInstallers_ > 0) return;
        if (row->GetStatus() != CUpdateInfoListItemUI::kDownloaded) continue;
        row->SetStatus(CUpdateInfoListItemUI::kInstalling);
        ShowWindowState(kUpdating);
        currentItem_ = i;
        const QString file = QString::fromStdString(records_[static_cast<size_t>(i)].localFile);
        const InstallerLaunch launch =
            startInstaller_(file, QString::fromStdString(downloadFolder_), [this, i, alive = alive_](bool ok) {
                if (!*alive) return;
                --runningInstallers_;
                OnInstallerEnded(i, ok);
            });
        if (launch.how == InstallerStart::Running) {
            ++runningInstallers_;
            return;
        }
        if (launch.how == InstallerStart::Failed) {
            Trace("update: %s", qUtf8Printable(launch.reason));
            row->SetStatus(CUpdateInfoListItemUI::kFailed);
            ShowMessage(this, {}, "update_failed_text", dpi_);
        }
        // Handed to the desktop: its outcome comes from the installer, if it tells.
    }
}

void CSetWnd::OnInstallerEnded(int row, bool ok) {
    currentItem_ = row;
    OnForward(ok ? 1 : 2, 0);
    StartNextInstaller();
}

void CSetWnd::OnForward(std::uintptr_t wParam, std::intptr_t lParam) {
    CUpdateInfoListItemUI* row = Row(currentItem_);
    if (row == nullptr) return;
    if (wParam == 1) {
        row->SetOldVersion(row->GetNewVersion());
        row->SetNewVersion({});
        row->SetStatus(CUpdateInfoListItemUI::kCurrent);
        row->SetChecked(false);
        for (int i = 0; i < RowCount(); ++i) {
            if (Row(i)->IsChecked() && Row(i)->GetStatus() != CUpdateInfoListItemUI::kCurrent) return;
        }
        bool left = false;
        for (int i = 0; i < RowCount(); ++i) {
            if (Row(i)->GetStatus() == CUpdateInfoListItemUI::kCurrent) continue;
            Row(i)->SetCheckEnabled(true);
            left = true;
        }
        ShowWindowState(left ? kUpdatesAvailable : kUpToDate);
    } else if (wParam == 2 || wParam == 3) {
        row->SetStatus(CUpdateInfoListItemUI::kFailed);
    } else if (wParam == 4) {
        row->SetProgress(static_cast<int>(lParam));
    }
}

// ---------------------------------------------------------------- stop and close

void CSetWnd::StopThreads() {
    for (const std::shared_ptr<CUpdateClient>& client : {checkClient_, downloadClient_}) {
        if (client) client->Cancel();
    }
    checkThread_.Stop();
    downloadThread_.Stop(1000, [this] { downloadRequested_.Set(); });
}

void CSetWnd::TryClose() {
    // Work under way stays: a download cut off or an installer left alone helps nobody.
    if (Busy()) {
        ShowMessage(this, {}, "update_busy_text", dpi_);
        return;
    }
    StopThreads();
    Close(0);
}

void CSetWnd::OnNotify(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->GetName() : QString();
    QWidget* window = GetWidget();
    if (msg.sType == "windowinit") {
        StartThreads();
    } else if (msg.sType == "click") {
        if (name.compare("closebtn", Qt::CaseInsensitive) == 0 || name.compare("laterbtn", Qt::CaseInsensitive) == 0) {
            TryClose();
        } else if (name.compare("minbtn", Qt::CaseInsensitive) == 0 && window != nullptr) {
            window->showMinimized();
        } else if (name.compare("maxbtn", Qt::CaseInsensitive) == 0 && window != nullptr) {
            window->showMaximized();
        } else if (name.compare("restorebtn", Qt::CaseInsensitive) == 0 && window != nullptr) {
            window->showNormal();
        } else if (name.compare("set_in_update_wnd_btn", Qt::CaseInsensitive) == 0) {
            if (ui::CControlUI* notice = FindControl("update_tishi_layout")) notice->SetVisible(false);
            if (window != nullptr) window->resize(Scale(900), Scale(500));
        } else if (name.compare("update_fw_and_ap", Qt::CaseInsensitive) == 0) {
            if (auto* tabs = FindControlAs<ui::CTabLayoutUI>("get_update_tab_layout")) tabs->SelectItem(1);
        } else if (name.compare("update_OK_btn", Qt::CaseInsensitive) == 0) {
            OnConfirm();
        }
    } else if (msg.sType == "selectchanged" && name == "check_name_select") {
        OnCheckChanged();
    } else if (msg.sType == "itemselect" && name == "Language_combox_info" && owner_ != 0) {
        languageIndex_ = static_cast<int>(msg.wParam);
        ui::PostWindowMessage(owner_, ui::WindowMessage{kMsgLanguage, msg.wParam, 0, {}});
    }
}

long CSetWnd::MessageHandler(const ui::WindowMessage& message, bool& handled) {
    handled = true;
    if (forwardMessage_ != 0 && message.id == forwardMessage_) {
        OnForward(message.wParam, message.lParam);
        StartNextInstaller();
    } else if (message.id == ui::wm::kClose) {
        // The window's own close: refused while work is under way.
        if (Busy()) return 0;
        StopThreads();
        handled = false;
    } else if (message.id == ui::wm::kDpiChanged) {
        SetDpi(static_cast<int>(message.wParam & 0xFFFF));
    } else if (message.id == kMsgLanguage) {
        if (windowState_ == kUpToDate) ShowWindowState(kUpToDate);
        if (GetWidget() != nullptr) GetWidget()->update();
    } else if (message.id == ui::wm::kTimer && message.wParam == kTimerRing) {
        if (auto* ring = FindControlAs<ui::CProgressUI>("update_status_ring")) {
            ring->SetValue((ring->GetValue() + kRingStep) % (ring->GetMaxValue() + 1));
        }
    } else if (message.id == ui::wm::kSize && message.wParam != ui::wm::kSizeMinimized) {
        const bool maximised = message.wParam == ui::wm::kSizeMaximized;
        if (ui::CControlUI* max = FindControl("maxbtn")) max->SetVisible(!maximised);
        if (ui::CControlUI* restore = FindControl("restorebtn")) restore->SetVisible(maximised);
        handled = false;
    } else {
        handled = false;
    }
    return 0;
}

}  // namespace velnor7
