#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/VerbOutcome.h"
#include "sim/KeyboardEmulator.h"
#include "update/UpdateClient.h"

#include "LoopbackServer.h"
#include "SilentServer.h"
#include "support/CliRun.h"
#include "support/SimulatedKeyboard.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace velnor7 {
namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// velnor7ctl with the simulated keyboard plugged in, asking an update service on the loopback
// interface (VELNOR7_UPDATE_URL) that answers each target by the key it is sent.
class UpdateCommandsTest : public testing::SimulatedKeyboardTest {
protected:
    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        server_.Routes().Post("/updates", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            bodies_.push_back(request.body);
            const std::string key = request.get_param_value("app_key");
            response.set_content(replies_.count(key) != 0 ? replies_[key] : "{}", "application/json");
        });
        server_.Routes().Get(R"(/files/(.*))", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("installer " + request.matches[1].str(), "application/octet-stream");
        });
        server_.Start();
        ::setenv("VELNOR7_UPDATE_URL", server_.Url().c_str(), 1);
        folder_ = std::filesystem::temp_directory_path() /
                  ("velnor7-update-cli-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        ::unsetenv("VELNOR7_UPDATE_URL");
        server_.Stop();
        std::filesystem::remove_all(folder_);
        SimulatedKeyboardTest::TearDown();
    }

    void Answer(const std::string& key, const std::string& reply) {
        std::lock_guard lock(mutex_);
        replies_[key] = reply;
    }
    std::vector<std::string> Bodies() {
        std::lock_guard lock(mutex_);
        return bodies_;
    }
    // The keyboard's firmware is offered as /files/<name>.
    void OfferKeyboardFirmware(const std::string& name) {
        const std::string url = server_.Url("files/" + name);
        Answer("ZELVA_1_ZK7_ZK7_1", R"({"name": "ZK7", "version": "103", "path": ")" + url + "\"}");
    }

    using Run = testing::CliRun;
    Run Cli(const std::vector<std::string>& words) const { return testing::RunCli(words); }
    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::LoopbackServer server_;
    std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    std::vector<std::string> bodies_;
    std::filesystem::path folder_;
};

TEST_F(UpdateCommandsTest, CheckAsksForEveryTargetWithTheAttachedKeyboardsAndTheProgramsVersions) {
    OfferKeyboardFirmware("ZK7_103.bin");
    Answer("ZELVA_0_ALL_ZM7,ZK7,ZP7,ZH7_1", R"({"version": "10002", "version_name": "1000.2"})");
    const Run run = Cli({"--simulate", "update", "check", "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    Json::Value parsed;
    std::istringstream stream(run.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &parsed, nullptr)) << run.out;
    ASSERT_EQ(parsed.size(), 4u) << run.out;

    const struct {
        const char* name;
        Json::Value current;
        const char* status;
        Json::Value offered;
    } expected[] = {
        {"ZM7", Json::Value(), "up to date", "V"},  // no mouse attached: asked as "NULL", answered "{}"
        {"ZK7", "V" + std::string("0102"), "update available", "V103"},
        {"ZP7", Json::Value(), "up to date", "V"},
        {"AP", "V" + std::to_string(ApplicationVersion()), "up to date", "1000.2"},
    };
    for (Json::ArrayIndex i = 0; i < parsed.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(parsed[i]["name"], expected[i].name);
        EXPECT_EQ(parsed[i]["current"], expected[i].current);
        EXPECT_EQ(parsed[i]["status"], expected[i].status);
        EXPECT_EQ(parsed[i]["offered"], expected[i].offered);
    }
    EXPECT_EQ(parsed[1]["path"], server_.Url("files/ZK7_103.bin"));

    ASSERT_EQ(KeyboardEmulator::kFirmwareVersion, 0x0102);
    const std::vector<std::string> bodies = Bodies();
    EXPECT_EQ(bodies, (std::vector<std::string>{std::string("app_key=NULL&version=0\0", 23),
                                                std::string("app_key=ZELVA_1_ZK7_ZK7_1&version=102\0", 38),
                                                std::string("app_key=NULL&version=0\0", 23),
                                                "app_key=ZELVA_0_ALL_ZM7,ZK7,ZP7,ZH7_1&version=" +
                                                    std::to_string(ApplicationVersion()) + '\0'}));

    const Run text = Cli({"--simulate", "update", "check"});
    ASSERT_EQ(text.status, kExitOk) << text.err;
    EXPECT_NE(text.out.find("ZK7   installed V0102     offered V103      update available\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("ZM7   installed unknown   offered V         up to date\n"), std::string::npos) << text.out;
}

TEST_F(UpdateCommandsTest, AServiceThatCannotBeReachedFailsTheCheckNamingItsAddress) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/";
    ::setenv("VELNOR7_UPDATE_URL", closed.c_str(), 1);
    const Run run = Cli({"--simulate", "update", "check"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velnor7ctl: the update service at " + closed + " cannot be reached\n");
    const Run json = Cli({"--simulate", "--json", "update", "check"});
    EXPECT_EQ(json.status, kExitFailed);
    EXPECT_NE(json.out.find("\"ok\" : false"), std::string::npos) << json.out;
}

TEST_F(UpdateCommandsTest, DownloadSavesTheNewerInstallerUnderItsNameAndKeepsAnEarlierFile) {
    OfferKeyboardFirmware("ZK7_103.bin");
    const Run first = Cli({"--simulate", "update", "download", "zk7", folder_.string()});
    ASSERT_EQ(first.status, kExitOk) << first.err;
    const std::filesystem::path file = folder_ / "ZK7_103.bin";
    EXPECT_EQ(first.out, file.string() + "\n");
    EXPECT_EQ(FileText(file), "installer ZK7_103.bin");

    std::ofstream(file) << "edited by hand";
    const Run second = Cli({"--simulate", "update", "download", "ZK7", folder_.string()});
    ASSERT_EQ(second.status, kExitOk) << second.err;
    EXPECT_EQ(second.out, file.string() + "\nthe file that was there is kept as " + file.string() + ".old\n");
    EXPECT_EQ(FileText(file), "installer ZK7_103.bin");
    EXPECT_EQ(FileText(file.string() + ".old"), "edited by hand");
    EXPECT_EQ(FolderContents(), (std::vector<std::string>{"ZK7_103.bin", "ZK7_103.bin.old"}));
}

TEST_F(UpdateCommandsTest, DownloadRefusesAnInstallerNameThatIsNoPlainFileName) {
    for (const std::string name :
         {"..", "a%2Fb", "", ".profile", "a%2F..%2F..%2Fb", "setup%00.exe", "a b.bin", "%zz"}) {
        SCOPED_TRACE(name);
        OfferKeyboardFirmware(name);
        const Run run = Cli({"--simulate", "update", "download", "ZK7", folder_.string()});
        EXPECT_EQ(run.status, kExitFailed);
        EXPECT_NE(run.err.find("does not end in a plain file name"), std::string::npos) << run.err;
        EXPECT_TRUE(FolderContents().empty());
    }
    // Escapes of plain characters are plain.
    OfferKeyboardFirmware("ZK7%5F103.bin?from=mirror#top");
    const Run run = Cli({"--simulate", "update", "download", "ZK7", folder_.string()});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"ZK7_103.bin"});
}

TEST_F(UpdateCommandsTest, DownloadWithNothingNewerOrAWrongCallDownloadsNothing) {
    Answer("ZELVA_1_ZK7_ZK7_1", R"({"version": "102", "path": "/files/ZK7_102.bin"})");
    const struct {
        std::vector<std::string> words;
        int status;
        std::string reason;
    } cases[] = {
        {{"ZK7", folder_.string()}, kExitFailed,
         "ZK7 is up to date (V0102, the service offers V102); nothing was downloaded"},
        {{"ZX9", folder_.string()}, kExitBadArguments,
         "no update target is named 'ZX9'; the targets are ZM7, ZK7, ZP7, AP"},
        {{"ZK7", (folder_ / "missing").string()}, kExitFailed, "missing is not a folder"},
        {{"ZK7"}, kExitBadArguments, "update takes check, or download TARGET DIR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::vector<std::string> words{"--simulate", "update", "download"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        const Run run = Cli(words);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_TRUE(FolderContents().empty());
    }
}

}  // namespace
}  // namespace velnor7
