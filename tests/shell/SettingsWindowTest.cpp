// The settings window against an update service on the loopback interface: what the check
// shows, a picked update downloaded with progress and its installer started, a failed download
// picked again, the window kept open while work runs, and the language and DPI rules.
#include "support/UiHarness.h"

#include "common/JsonFile.h"
#include "common/Paths.h"
#include "common/Trace.h"
#include "shell/ControlClasses.h"
#include "shell/SetWnd.h"
#include "shell/ShowMessage.h"
#include "shell/UpdateInfoListItemUI.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace velnor7 {
namespace {

using testing::WaitFor;
using Row = CUpdateInfoListItemUI;

// A service on 127.0.0.1 that answers queries by key and serves files.
class LoopbackService {
public:
    LoopbackService() {
        server_.Post("/updates", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            for (const auto& [key, reply] : replies_) {
                if (request.body.find("app_key=" + key + "&") == 0) {
                    response.set_content(reply, "application/json");
                    return;
                }
            }
            response.set_content("{}", "application/json");
        });
        server_.Get("/files/(.*)", [this](const httplib::Request& request, httplib::Response& response) {
            std::string body;
            {
                std::lock_guard lock(mutex_);
                const auto found = files_.find(request.matches[1]);
                if (found == files_.end()) {
                    response.status = 404;
                    return;
                }
                body = found->second;
            }
            if (stall_) {
                // Sends a little, then nothing until the client goes away.
                response.set_content_provider(body.size(), "application/octet-stream",
                                              [this](size_t, size_t, httplib::DataSink& sink) {
                                                  sink.write("#!", 2);
                                                  while (stall_ && sink.is_writable()) {
                                                      std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                                  }
                                                  return false;
                                              });
                return;
            }
            response.set_content(body, "application/octet-stream");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackService() {
        stall_ = false;
        server_.stop();
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    void Answer(const std::string& key, const std::string& reply) {
        std::lock_guard lock(mutex_);
        replies_[key] = reply;
    }
    void Serve(const std::string& name, const std::string& body) {
        std::lock_guard lock(mutex_);
        files_[name] = body;
    }
    std::atomic<bool> stall_{false};

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    std::map<std::string, std::string> files_;
};

const UpdateTargetRow kKeyboardRow{1, 1, 0x0102, "ZELVA", "ZK7", "ZK7", "ZK7", ""};
const UpdateTargetRow kApplicationRow{0, 1, 10002, "ZELVA", "ALL", "ZM7,ZK7,ZP7,ZH7", "AP", "V1000.02"};

class SettingsWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
        ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath());
        ui::CResourceManager::Instance().LoadLanguage("lang/en.xml");
        ui::CResourceManager::Instance().SetLanguage("en");
        RegisterControlClasses();
    }
    void SetUp() override {
        SetMessageAnswerer([this](const QString&, const QString& text, int) {
            told_ << text;
            return CMsgWnd::kConfirmed;
        });
    }
    void TearDown() override {
        if (window_) window_->StopThreads();
        window_.reset();
        SetMessageAnswerer({});
    }

    // Opens the window on `targets`, asking `url`; installers are recorded, not run.
    void Open(std::vector<UpdateTargetRow> targets, const std::string& url) {
        window_ = std::make_unique<CSetWnd>();
        ASSERT_TRUE(window_->Create(nullptr, "SetWnd"));
        window_->SetDpi(96);
        window_->SetServiceUrl(url);
        window_->SetUpdateTargets(std::move(targets));
        window_->SetInstallerStarter([this](const QString& file, const QString&, std::function<void(bool)> ended) {
            started_ << file;
            ended_ = std::move(ended);
            return InstallerLaunch{InstallerStart::Running, {}};
        });
        window_->ShowWindow(true);
    }
    bool CheckDone() { return window_->GetWindowState() != CSetWnd::kChecking; }
    ui::CControlUI* Control(const QString& name) { return window_->FindControl(name); }

    std::unique_ptr<CSetWnd> window_;
    QStringList told_;
    QStringList started_;
    std::function<void(bool)> ended_;
};

TEST_F(SettingsWindowTest, WithoutTargetsOrWithoutAServiceTheCheckSaysTheServiceCannotBeReached) {
    Open({}, "http://127.0.0.1:1/");
    ASSERT_TRUE(WaitFor([&] { return CheckDone(); }));
    EXPECT_EQ(window_->GetWindowState(), CSetWnd::kUnreachable);
    window_->StopThreads();

    // Nothing answers: the rows keep what was known before, the program's own version text.
    Open({kKeyboardRow, kApplicationRow}, "http://127.0.0.1:1/");
    ASSERT_TRUE(WaitFor([&] { return window_->RowCount() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return CheckDone(); }));
    EXPECT_EQ(window_->GetWindowState(), CSetWnd::kUnreachable);
    EXPECT_EQ(window_->Row(0)->GetOldVersion(), "V0102");
    EXPECT_EQ(window_->Row(1)->GetOldVersion(), "V1000.02");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(window_->Row(i)->GetStatus(), Row::kCurrent);
        EXPECT_FALSE(window_->Row(i)->IsCheckEnabled());
        EXPECT_TRUE(window_->Row(i)->GetNewVersion().isEmpty());
        // Asked and not answered: the row no longer says it is being asked.
        EXPECT_EQ(window_->Row(i)->FindSubControl("update_status_text")->GetText(),
                  ui::CResourceManager::Instance().TextOrSelf("UpdateOkText"));
    }
    EXPECT_EQ(Control("Update_Status_text")->GetText(), ui::CResourceManager::Instance().TextOrSelf("NoUpdateInfoText"));
    EXPECT_FALSE(Control("update_status_ring")->IsVisible());
}

TEST_F(SettingsWindowTest, APickedUpdateIsDownloadedWithProgressAndItsInstallerStartedThenTheRowIsCurrent) {
    LoopbackService service;
    service.Answer(MakeTargetKey(kApplicationRow),
                   R"({"name":"AP","version":"10003","version_name":"V1000.03","device_id":1,"path":")" +
                       service.Url() + R"(files/velnor7-setup.sh"})");
    service.Answer(MakeTargetKey(kKeyboardRow), R"({"name":"ZK7","version":"0102","version_name":"1.02","path":""})");
    const std::string installer(20000, '#');
    service.Serve("velnor7-setup.sh", "#!/bin/sh\n" + installer + "\nexit 0\n");
    Open({kKeyboardRow, kApplicationRow}, service.Url());
    ASSERT_TRUE(WaitFor([&] { return CheckDone(); }));
    EXPECT_EQ(window_->GetWindowState(), CSetWnd::kUpdatesAvailable);
    Row* keyboard = window_->Row(0);
    Row* application = window_->Row(1);
    EXPECT_EQ(keyboard->GetStatus(), Row::kCurrent);
    EXPECT_EQ(application->GetStatus(), Row::kNewer);
    // A decimal target that answers shows its version as a number, not the row's text.
    EXPECT_EQ(application->GetOldVersion(), "V10002");
    EXPECT_EQ(application->GetNewVersion(), "V1000.03");
    EXPECT_TRUE(application->IsChecked());
    EXPECT_TRUE(Control("update_fw_and_ap")->IsVisible());

    testing::Click(Control("update_fw_and_ap"));
    testing::Click(Control("update_OK_btn"));
    ASSERT_TRUE(WaitFor([&] { return !started_.isEmpty(); }));
    EXPECT_EQ(application->GetStatus(), Row::kInstalling);
    EXPECT_EQ(window_->GetWindowState(), CSetWnd::kUpdating);
    // The installer lies in the window's own folder, under the address's file name.
    EXPECT_EQ(started_[0], QString::fromStdString(CSetWnd::DownloadFolder()) + "velnor7-setup.sh");
    QFile file(started_[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), static_cast<qint64>(installer.size() + 18));
    EXPECT_TRUE(window_->Busy());

    // The installer ended well: the row is current, and nothing is left to do.
    ended_(true);
    EXPECT_EQ(application->GetStatus(), Row::kCurrent);
    EXPECT_EQ(application->GetOldVersion(), "V1000.03");
    EXPECT_FALSE(application->IsChecked());
    EXPECT_EQ(window_->GetWindowState(), CSetWnd::kUpToDate);
    EXPECT_TRUE(Control("Update_Status_text")->GetText().endsWith(window_->GetCheckDate()));
    EXPECT_FALSE(window_->Busy());
}

TEST_F(SettingsWindowTest, AFailedDownloadIsPickedAgainAndTheWindowStaysOpenWhileOneRuns) {
    LoopbackService service;
    service.Answer(MakeTargetKey(kKeyboardRow), R"({"name":"ZK7","version":"0103","device_id":2,"path":")" +
                                                    service.Url() + R"(files/zk7-0103.bin"})");
    Open({kKeyboardRow}, service.Url());
    ASSERT_TRUE(WaitFor([&] { return CheckDone(); }));
    Row* keyboard = window_->Row(0);
    ASSERT_EQ(keyboard->GetStatus(), Row::kNewer);
    EXPECT_EQ(keyboard->GetNewVersion(), "V0103");

    // The file is not there yet: the download fails, the row keeps its pick.
    testing::Click(Control("update_fw_and_ap"));
    testing::Click(Control("update_OK_btn"));
    ASSERT_TRUE(WaitFor([&] { return keyboard->GetStatus() == Row::kFailed; }));
    EXPECT_TRUE(keyboard->IsChecked());
    EXPECT_TRUE(started_.isEmpty());

    // Picked again while the server stalls: the window does not close under a download.
    service.Serve("zk7-0103.bin", std::string(4096, 'x'));
    service.stall_ = true;
    testing::Click(Control("update_fw_and_ap"));
    testing::Click(Control("update_OK_btn"));
    ASSERT_TRUE(WaitFor([&] { return keyboard->GetStatus() == Row::kDownloading; }));
    testing::Click(Control("closebtn"));
    EXPECT_TRUE(window_->IsWindow());
    ASSERT_EQ(told_.size(), 1);
    EXPECT_EQ(told_[0], ui::CResourceManager::Instance().TextOrSelf("update_busy_text"));
    window_->HandleMessage(ui::WindowMessage{ui::wm::kClose, 0, 0, {}});
    QCoreApplication::processEvents();
    EXPECT_TRUE(window_->IsWindow()) << "the desktop's close is refused as well";

    // Stopping ends the download as a failure, and the window may close.
    window_->StopThreads();
    ASSERT_TRUE(WaitFor([&] { return keyboard->GetStatus() == Row::kFailed; }));
    testing::Click(Control("laterbtn"));
    ASSERT_TRUE(WaitFor([&] { return !window_->IsWindow(); }));
}

TEST_F(SettingsWindowTest, ADpiOffTheStepsIsRefusedAndTheCheckDateIsKept) {
    TraceCapture trace;
    CSetWnd window;
    ASSERT_TRUE(window.Create(nullptr, "SetWnd"));
    const int width = window.GetWidget()->width();
    window.SetDpi(100);
    EXPECT_TRUE(trace.Contains("SET_WND DPI SET ERROR"));
    EXPECT_EQ(window.GetDpiValue(), 96);
    window.SetDpi(192);
    EXPECT_EQ(window.GetWidget()->width(), width * 2);

    // A check date already there is shown, not today's.
    Json::Value stored;
    stored["updatelasttime"]["value"] = "2024-1-5";
    ASSERT_EQ(wirtejsonFile(CSetWnd::CheckDateFile(), stored), 0);
    Open({}, "http://127.0.0.1:1/");
    ASSERT_TRUE(WaitFor([&] { return CheckDone(); }));
    EXPECT_EQ(window_->GetCheckDate(), "2024-1-5");
}

}  // namespace
}  // namespace velnor7

namespace velnor7 {
namespace {

TEST(InstallerStartTest, AProgramInThePrivateFolderRunsAndItsExitStatusIsTheOutcome) {
    QTemporaryDir folder;
    const auto script = [&](const QString& name, const QByteArray& body) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        return file.fileName();
    };
    std::optional<bool> outcome;
    InstallerLaunch launch = StartInstaller(script("good.sh", "#!/bin/sh\nexit 0\n"), folder.path(),
                                            [&](bool ok) { outcome = ok; });
    EXPECT_EQ(launch.how, InstallerStart::Running);
    EXPECT_EQ(RunningInstallers(), 1);
    ASSERT_TRUE(testing::WaitFor([&] { return outcome.has_value(); }));
    EXPECT_TRUE(*outcome);
    EXPECT_EQ(RunningInstallers(), 0);

    outcome.reset();
    launch = StartInstaller(script("bad.sh", "#!/bin/sh\nexit 3\n"), folder.path(), [&](bool ok) { outcome = ok; });
    ASSERT_TRUE(testing::WaitFor([&] { return outcome.has_value(); }));
    EXPECT_FALSE(*outcome);

    // Nothing to start: told at once, no outcome follows.
    launch = StartInstaller(folder.filePath("missing.sh"), folder.path(), [&](bool) { ADD_FAILURE(); });
    EXPECT_EQ(launch.how, InstallerStart::Failed);
    EXPECT_FALSE(launch.reason.isEmpty());
}

}  // namespace
}  // namespace velnor7
