#include "update/UpdateClient.h"

#include "LoopbackServer.h"
#include "SelfSignedCertificate.h"
#include "common/Event.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velnor7 {
namespace {

using testing::LoopbackServer;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Bytes that show where they came from: byte i is i % 251.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// The calls of a download's progress function, in order.
class ProgressLog {
public:
    CUpdateClient::Progress Function() {
        return [this](double total, double received) {
            std::lock_guard lock(mutex_);
            calls_.emplace_back(total, received);
            if (received > 0) started_.Set();
        };
    }
    std::vector<std::pair<double, double>> Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // Set once a byte has arrived.
    Event& Started() { return started_; }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<double, double>> calls_;
    Event started_{Event::Reset::Manual};
};

// A download server on the loopback interface, and a folder of the test's own to download into.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& routes = server_.Routes();
        routes.Get("/whole.bin", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(content_, "application/octet-stream");
        });
        // Chunked: the length is not known before the end.
        routes.Get("/unannounced.bin", [this](const httplib::Request&, httplib::Response& response) {
            const auto pieces = [this](size_t offset, httplib::DataSink& sink) {
                const size_t piece = std::min<size_t>(4096, content_.size() - offset);
                if (piece > 0) return sink.write(content_.data() + offset, piece);
                sink.done();
                return true;
            };
            response.set_chunked_content_provider("application/octet-stream", pieces);
        });
        // Announces 5000 bytes, sends 1200, then closes the connection.
        routes.Get("/short.bin", [this](const httplib::Request&, httplib::Response& response) {
            const auto firstPart = [this](size_t, size_t, httplib::DataSink& sink) {
                sink.write(content_.data(), 1200);
                return false;
            };
            response.set_content_provider(5000, "application/octet-stream", firstPart);
        });
        // Sends one byte of an announced megabyte, then nothing until the test lets it go.
        routes.Get("/stalling.bin", [this](const httplib::Request&, httplib::Response& response) {
            const auto oneByte = [this](size_t, size_t, httplib::DataSink& sink) {
                sink.write(content_.data(), 1);
                letGo_.Wait(-1);
                return false;
            };
            response.set_content_provider(1 << 20, "application/octet-stream", oneByte);
        });
        routes.Get("/missing.bin", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        server_.Start();

        folder_ = std::filesystem::temp_directory_path() /
                  ("velnor7-download-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        letGo_.Set();
        server_.Stop();
        std::filesystem::remove_all(folder_);
    }

    std::string Local(const std::string& name) const { return (folder_ / name).string(); }
    // Every file in the folder, by name.
    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string content_ = Pattern(50000);
    LoopbackServer server_;
    Event letGo_{Event::Reset::Manual};
    std::filesystem::path folder_;
};

TEST_F(DownloadTest, ACompleteDownloadReportsEveryPieceAndEndsWithAllOfTheAnnouncedBytes) {
    ProgressLog log;
    CUpdateClient client(server_.Url());
    const DownloadResult result = client.Download(server_.Url("whole.bin"), Local("installer.bin"), log.Function());
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(FileText(Local("installer.bin")), content_);
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"installer.bin"}) << "no .part left";

    const auto calls = log.Calls();
    ASSERT_FALSE(calls.empty());
    double before = 0;
    for (const auto& [total, received] : calls) {
        EXPECT_EQ(total, 50000);
        EXPECT_GT(received, before);
        before = received;
    }
    EXPECT_EQ(calls.back(), std::make_pair(50000.0, 50000.0));
}

TEST_F(DownloadTest, WithoutAnAnnouncedLengthTheWholeBodyArrivesWithOneProgressCallAtTheEnd) {
    ProgressLog log;
    CUpdateClient client(server_.Url());
    const DownloadResult result =
        client.Download(server_.Url("unannounced.bin"), Local("installer.bin"), log.Function());
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(FileText(Local("installer.bin")), content_);
    EXPECT_EQ(log.Calls(), (std::vector<std::pair<double, double>>{{50000, 50000}}));
}

TEST_F(DownloadTest, AFailedDownloadLeavesNoPartAndKeepsTheFileThatWasThere) {
    const struct {
        const char* what;
        std::string path;
        std::string reason;
        double received;
    } cases[] = {
        {"fewer bytes than announced", "short.bin", "the server sent 1200 of 5000 bytes", 1200},
        {"an error status", "missing.bin", "404", 0},
        {"not the web", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            std::ofstream(Local("installer.bin")) << "the earlier installer";
        }
        ProgressLog log;
        CUpdateClient client(server_.Url());
        // A "file:" URL in an answer must not copy a file of this computer.
        const std::string url = c.path.empty() ? "file://" + Local("installer.bin") : server_.Url(c.path);
        const DownloadResult result = client.Download(url, Local("installer.bin"), log.Function());
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
        EXPECT_EQ(FileText(Local("installer.bin")), "the earlier installer");
        EXPECT_EQ(FolderContents(), std::vector<std::string>{"installer.bin"});
        ASSERT_FALSE(log.Calls().empty());
        EXPECT_EQ(log.Calls().back(), std::make_pair(0.0, c.received));
    }
}

TEST_F(DownloadTest, AServerThatStopsSendingFailsTheDownloadAfterTheStallTime) {
    ProgressLog log;
    CUpdateClient client(server_.Url());
    client.SetStallSeconds(1);
    const DownloadResult result = client.Download(server_.Url("stalling.bin"), Local("installer.bin"), log.Function());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_TRUE(FolderContents().empty());
    EXPECT_EQ(log.Calls().back(), std::make_pair(0.0, 1.0));
}

TEST_F(DownloadTest, CancelFromAnotherThreadEndsARunningDownloadAndEveryLaterCall) {
    ProgressLog log;
    CUpdateClient client(server_.Url());
    std::thread canceller([&] {
        log.Started().Wait(-1);
        client.Cancel();
    });
    const DownloadResult result = client.Download(server_.Url("stalling.bin"), Local("installer.bin"), log.Function());
    canceller.join();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "the download was cancelled");
    EXPECT_TRUE(FolderContents().empty());

    const DownloadResult later = client.Download(server_.Url("whole.bin"), Local("installer.bin"), log.Function());
    EXPECT_FALSE(later.ok);
    EXPECT_TRUE(FolderContents().empty());
}

TEST_F(DownloadTest, AFileThatCannotBeCreatedIsAFailureThatSaysWhy) {
    CUpdateClient client(server_.Url());
    const std::string local = Local("no-such-folder/installer.bin");
    const DownloadResult result = client.Download(server_.Url("whole.bin"), local, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "cannot create " + local + ".part: No such file or directory");
}

TEST(Download, AnUntrustedCertificateFailsTheDownload) {
    const testing::SelfSignedCertificate certificate;
    LoopbackServer server(certificate.CertificateFile(), certificate.KeyFile());
    server.Routes().Get("/installer.bin", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("installer", "application/octet-stream");
    });
    server.Start();
    const std::filesystem::path local =
        std::filesystem::temp_directory_path() / ("velnor7-untrusted-" + std::to_string(::getpid()) + ".bin");

    const DownloadResult refused = CUpdateClient(server.Url()).Download(server.Url("installer.bin"), local, nullptr);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("certificate"), std::string::npos) << refused.reason;
    EXPECT_FALSE(std::filesystem::exists(local));

    CUpdateClient trusting(server.Url());
    trusting.SetCertificateFile(certificate.CertificateFile());
    const DownloadResult trusted = trusting.Download(server.Url("installer.bin"), local, nullptr);
    EXPECT_TRUE(trusted.ok) << trusted.reason;
    EXPECT_EQ(FileText(local), "installer");
    std::filesystem::remove(local);
    server.Stop();
}

}  // namespace
}  // namespace velnor7
