#include "update/UpdateClient.h"

#include "LoopbackServer.h"
#include "SelfSignedCertificate.h"
#include "SilentServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace velnor7 {
namespace {

using testing::LoopbackServer;

// What the service was sent.
struct ReceivedRequest {
    std::string method;
    std::string path;
    std::string body;
    std::string contentLength;
    std::string contentType;
    std::string accept;
    std::string userAgent;
};

// The update service on the loopback interface: it answers every request with `reply_`.
class UpdateQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto record = [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            received_.push_back({request.method, request.path, request.body, request.get_header_value("Content-Length"),
                                 request.get_header_value("Content-Type"), request.get_header_value("Accept"),
                                 request.get_header_value("User-Agent")});
            response.set_content(reply_, "application/json");
        };
        server_.Routes().Post("/updates", record).Get("/updates", record);
        server_.Start();
    }
    void TearDown() override { server_.Stop(); }

    void Reply(std::string reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }
    std::vector<ReceivedRequest> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    LoopbackServer server_;
    std::mutex mutex_;
    std::string reply_;
    std::vector<ReceivedRequest> received_;
};

TEST(UpdateTargets, TheKeyNamesVendorFormatModelPartsAndNumberOrNullWithoutAVersion) {
    UpdateTargetRow application = UpdateTargetTable[3];
    application.currentVersion = 10002;
    UpdateTargetRow keyboard = UpdateTargetTable[1];
    keyboard.currentVersion = 0x0102;
    const struct {
        UpdateTargetRow row;
        std::string key;
    } cases[] = {
        {application, "ZELVA_0_ALL_ZM7,ZK7,ZP7,ZH7_1"},
        {keyboard, "ZELVA_1_ZK7_ZK7_1"},
        {UpdateTargetTable[2], "NULL"},  // the table's own rows know no installed version
    };
    for (const auto& c : cases) EXPECT_EQ(MakeTargetKey(c.row), c.key) << c.row.displayName;
}

TEST(UpdateTargets, TheProgramsVersionIsItsVersionTextWithoutDots) {
    std::ifstream file(std::string(VELNOR7_SOURCE_DIR) + "/CMakeLists.txt");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string marker = "project(velnor7 VERSION ";
    const size_t from = text.find(marker) + marker.size();
    std::string digits = text.substr(from, text.find_first_not_of("0123456789.", from) - from);
    std::erase(digits, '.');
    EXPECT_EQ(ApplicationVersion(), std::stoi(digits));
}

TEST(UpdateTargets, TheServiceUrlComesFromTheEnvironmentThenTheSettingThenTheProgramAndEndsInASlash) {
    ::setenv("VELNOR7_UPDATE_URL", "http://127.0.0.1:8080/api", 1);
    EXPECT_EQ(UpdateServiceUrl("https://configured/"), "http://127.0.0.1:8080/api/");
    ::setenv("VELNOR7_UPDATE_URL", "", 1);
    EXPECT_EQ(UpdateServiceUrl("https://configured"), "https://configured/");
    ::unsetenv("VELNOR7_UPDATE_URL");
    EXPECT_EQ(UpdateServiceUrl("https://configured/v1/"), "https://configured/v1/");
    const std::string builtIn = UpdateServiceUrl();
    EXPECT_EQ(builtIn.rfind("https://", 0), 0u) << builtIn;
    EXPECT_EQ(builtIn.back(), '/');
}

TEST_F(UpdateQueryTest, TheRequestCarriesTheBodyWithItsTerminatingZeroAndTheServiceHeaders) {
    Reply("{}");
    const struct {
        int32_t version;
        bool hexadecimal;
        std::string body;
    } cases[] = {
        {0x0102, true, std::string("app_key=ZELVA_1_ZK7_ZK7_1&version=102\0", 38)},
        {0xabcd, true, std::string("app_key=ZELVA_1_ZK7_ZK7_1&version=abcd\0", 39)},
        {10002, false, std::string("app_key=ZELVA_1_ZK7_ZK7_1&version=10002\0", 40)},
    };
    CUpdateClient client(server_.Url());
    for (const auto& c : cases) client.QueryUpdate("ZELVA_1_ZK7_ZK7_1", c.version, c.hexadecimal);
    const std::vector<ReceivedRequest> received = Received();
    ASSERT_EQ(received.size(), std::size(cases));
    for (size_t i = 0; i < received.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(received[i].method, "POST");
        EXPECT_EQ(received[i].path, "/updates");
        EXPECT_EQ(received[i].body, cases[i].body);
        EXPECT_EQ(received[i].contentLength, std::to_string(cases[i].body.size()));
        EXPECT_EQ(received[i].contentType, "application/x-www-form-urlencoded");
        EXPECT_EQ(received[i].accept, "application/prs.Zelva.v1+json");
        EXPECT_EQ(received[i].userAgent, "WinHTTP Client/1.0");
    }
}

TEST_F(UpdateQueryTest, TheAnswerTellsWhetherTheOfferedVersionIsNewerCountedAsTheTargetCounts) {
    const struct {
        const char* what;
        std::string reply;
        int32_t current;
        bool hexadecimal;
        int status;
        std::string currentText;
        std::string newText;
    } cases[] = {
        {"decimal, newer", R"({"version": "101", "version_name": "1.01"})", 100, false, kUpdateNewer, "V100", "1.01"},
        {"decimal, the same", R"({"version": "100", "version_name": "1.00"})", 100, false, kUpdateCurrent, "V100",
         "1.00"},
        {"hexadecimal, the same", R"({"version": "103", "version_name": "1.03"})", 0x0103, true, kUpdateCurrent,
         "V0103", "V103"},
        // 1a0 in hex is newer than 0x0102; read as decimal it would be 1, older.
        {"hexadecimal, newer", R"({"version": "1a0"})", 0x0102, true, kUpdateNewer, "V0102", "V1a0"},
        {"hexadecimal, older", R"({"version": "0f"})", 0x0102, true, kUpdateCurrent, "V0102", "V0f"},
        {"a number for the version", R"({"version": 104})", 0x0103, true, kUpdateNewer, "V0103", "V104"},
        {"no digits", R"({"version": "beta"})", 0x0102, false, kUpdateCurrent, "V258", ""},
        {"a version too long for 32 bits is newer, not wrapped",
         R"({"version": "123456789012345678901234567890"})", 10002, false, kUpdateNewer, "V10002", ""},
        {"comments", "/* the service */ {\"version\": \"104\", // newer\n \"name\": \"ZK7\"}", 0x0103, true,
         kUpdateNewer, "V0103", "V104"},
    };
    CUpdateClient client(server_.Url());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reply(c.reply);
        const UpdateInfo info = client.QueryUpdate("KEY", c.current, c.hexadecimal);
        EXPECT_EQ(info.status, c.status);
        EXPECT_EQ(info.currentText, c.currentText);
        EXPECT_EQ(info.newText, c.newText);
    }
}

TEST_F(UpdateQueryTest, TheAnswersFieldsAreTakenAndWhatIsNoJsonObjectIsNoAnswer) {
    Reply(R"({"device_id": 3, "name": "ZK7", "version": "103", "version_name": "1.03",
              "path": "https://example.invalid/ZK7_103.bin"})");
    CUpdateClient client(server_.Url());
    const UpdateInfo info = client.QueryUpdate("KEY", 0x0102, true);
    EXPECT_EQ(info.status, kUpdateNewer);
    EXPECT_EQ(info.deviceId, 3);
    EXPECT_EQ(info.name, "ZK7");
    EXPECT_EQ(info.versionName, "1.03");
    EXPECT_EQ(info.path, "https://example.invalid/ZK7_103.bin");
    EXPECT_EQ(info.localFile, "");

    Reply(R"({"device_id": "3", "name": ["ZK7"], "version": "103"})");
    const UpdateInfo odd = client.QueryUpdate("KEY", 0x0102, true);
    EXPECT_EQ(odd.status, kUpdateNewer);
    EXPECT_EQ(odd.deviceId, 0) << "a device id in quotes is no number";
    EXPECT_EQ(odd.name, "");

    const std::string noObjects[] = {"<html>Service unavailable</html>", R"([{"version": "9"}])", "",
                                     std::string(100000, '[')};
    for (const std::string& reply : noObjects) {
        SCOPED_TRACE(reply.substr(0, 20));
        Reply(reply);
        const UpdateInfo none = client.QueryUpdate("KEY", 0x0102, true);
        EXPECT_EQ(none.status, kUpdateNoAnswer);
        EXPECT_EQ(none.name, "");
        EXPECT_EQ(none.currentText, "");
        EXPECT_EQ(none.newText, "");
        EXPECT_EQ(none.path, "");
    }
}

TEST_F(UpdateQueryTest, AReplyPastTheBoundIsRefusedWholeAndOneAtTheBoundIsKept) {
    // Valid JSON saying "newer" if it were read: a refused reply must not be.
    const auto padded = [](size_t size) {
        const std::string head = R"({"version": "999")";
        return head + std::string(size - head.size() - 1, ' ') + "}";
    };
    CUpdateClient client(server_.Url());
    for (const size_t size : {kMaxReplyBytes, kMaxReplyBytes + 1, size_t{200 * 1024}}) {
        SCOPED_TRACE(size);
        const bool kept = size <= kMaxReplyBytes;
        Reply(padded(size));
        std::string reply = "earlier";
        const long appended = client.SendRequest("POST", server_.Url("updates"), "x", 1, reply);
        EXPECT_EQ(appended, kept ? static_cast<long>(size) : 0);
        EXPECT_EQ(reply.size(), kept ? size + 7 : 0u);
        EXPECT_EQ(client.LastError(), kept ? CURLE_OK : CURLE_WRITE_ERROR);
        EXPECT_EQ(client.QueryUpdate("KEY", 1, false).status, kept ? kUpdateNewer : kUpdateNoAnswer);
    }
}

TEST_F(UpdateQueryTest, RequestsWithoutAUrlOrWithAnotherMethodAreRefusedBeforeAnythingIsSent) {
    CUpdateClient client(server_.Url());
    std::string reply;
    EXPECT_EQ(client.SendRequest("POST", "", "x", 1, reply), -1);
    EXPECT_EQ(client.LastError(), kErrorNoUrl);
    EXPECT_EQ(client.SendRequest("PUT", server_.Url("updates"), "x", 1, reply), -1);
    EXPECT_EQ(client.LastError(), kErrorInvalidRequest);
    EXPECT_EQ(client.SendRequest("POST", server_.Url("updates"), "x", 3, reply), -1) << "past the body and its zero";
    EXPECT_EQ(client.LastError(), kErrorInvalidRequest);
    EXPECT_TRUE(Received().empty());
    EXPECT_EQ(reply, "");

    Reply("answer");
    EXPECT_EQ(client.SendRequest("get", server_.Url("updates"), "", 0, reply), 6) << "the method in any case";
    EXPECT_EQ(reply, "answer");
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].method, "GET");
}

TEST(UpdateService, NoServerIsNoLinkButAServerThatClosesWithoutAWordAnsweredNothing) {
    CUpdateClient client("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/");
    const UpdateInfo unreachable = client.QueryUpdate("KEY", 0x0102, true);
    EXPECT_EQ(unreachable.status, kUpdateNoAnswer);
    EXPECT_EQ(unreachable.name, kNoLinkServer);
    EXPECT_EQ(client.LastError(), CURLE_COULDNT_CONNECT);

    testing::SilentServer silent;
    CUpdateClient closing(silent.Url());
    std::string reply;
    EXPECT_EQ(closing.SendRequest("POST", silent.Url("updates"), "app_key=NULL&version=0", 23, reply), 0);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(closing.LastError(), CURLE_GOT_NOTHING);
    const std::string& request = silent.Request();
    EXPECT_EQ(request.substr(request.size() - 23), std::string("app_key=NULL&version=0\0", 23)) << "it had it whole";

    testing::SilentServer another;
    const UpdateInfo nothing = CUpdateClient(another.Url()).QueryUpdate("KEY", 0x0102, true);
    EXPECT_EQ(nothing.status, kUpdateNoAnswer);
    EXPECT_EQ(nothing.name, "");
}

TEST(UpdateService, AnUntrustedCertificateIsNoLinkAndTheTrustedOneIsAnswered) {
    const testing::SelfSignedCertificate certificate;
    LoopbackServer server(certificate.CertificateFile(), certificate.KeyFile());
    server.Routes().Post("/updates", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"version": "200"})", "application/json");
    });
    server.Start();

    CUpdateClient untrusting(server.Url());
    const UpdateInfo refused = untrusting.QueryUpdate("KEY", 0x0102, true);
    EXPECT_EQ(refused.status, kUpdateNoAnswer);
    EXPECT_EQ(refused.name, kNoLinkServer);
    EXPECT_EQ(untrusting.LastError(), CURLE_PEER_FAILED_VERIFICATION);

    CUpdateClient trusting(server.Url());
    trusting.SetCertificateFile(certificate.CertificateFile());
    EXPECT_EQ(trusting.QueryUpdate("KEY", 0x0102, true).status, kUpdateNewer);
    server.Stop();
}

TEST_F(UpdateQueryTest, ACancelledClientSendsNothingMore) {
    Reply(R"({"version": "200"})");
    CUpdateClient client(server_.Url());
    EXPECT_EQ(client.QueryUpdate("KEY", 0x0102, true).status, kUpdateNewer);
    client.Cancel();
    EXPECT_TRUE(client.Cancelled());
    EXPECT_EQ(client.QueryUpdate("KEY", 0x0102, true).status, kUpdateNoAnswer);
    std::string reply;
    EXPECT_EQ(client.SendRequest("POST", server_.Url("updates"), "x", 1, reply), -1);
    EXPECT_EQ(client.LastError(), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(Received().size(), 1u);
}

}  // namespace
}  // namespace velnor7
