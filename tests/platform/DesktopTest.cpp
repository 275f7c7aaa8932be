// What the program shares with the desktop: one instance per user, and the light messages
// on a private session bus.
#include "support/PrivateSessionBus.h"

#include "common/Trace.h"
#include "platform/DesktopBus.h"
#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <cstdio>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace velnor7 {
namespace {

QString UniqueKey() { return "VELNOR7-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces); }

TEST(SingleInstanceTest, ALaterStartWakesTheFirstAndGivesWay) {
    const QString key = UniqueKey();
    CSingleInstance first(key);
    int knocks = 0;
    first.SetOnAnotherStart([&] { ++knocks; });
    ASSERT_TRUE(first.Acquire());

    // The later start waits for an answer while the first serves it: run it on a thread.
    bool secondIsFirst = true;
    std::thread later([&] {
        CSingleInstance second(key);
        secondIsFirst = second.Acquire();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return knocks == 1; }, 3000));
    later.join();
    EXPECT_FALSE(secondIsFirst);
}

TEST(SingleInstanceTest, ASocketLeftByACrashedRunDoesNotBlockTheNextStart) {
    const QString key = UniqueKey();
    // What a crashed run leaves: a bound socket file nobody listens on.
    const QString path = CSingleInstance::SocketPathFor(key);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", qPrintable(path));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));

    CSingleInstance next(key);
    EXPECT_TRUE(next.Acquire());
}

// Scoped environment variable; an empty value unsets it.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value.isEmpty()) qunsetenv(name);
        else qputenv(name, value);
    }
    ~EnvironmentVariable() {
        if (had_) qputenv(name_, old_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(SingleInstanceTest, TheSocketLivesInTheUsersOwnRuntimeFolderNeverInASharedOne) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString runtime = scratch.filePath("run");
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    {
        EnvironmentVariable xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const QString key = UniqueKey();
        CSingleInstance instance(key);
        EXPECT_EQ(instance.SocketPath(), runtime + "/" + key);
        ASSERT_TRUE(instance.Acquire());
        EXPECT_TRUE(QFile::exists(runtime + "/" + key));
        EXPECT_FALSE(QFile::exists(QDir::temp().filePath(key))) << "nothing under the shared temporary folder";
    }
    {
        // Without XDG_RUNTIME_DIR: a folder of this user's alone under the temporary folder.
        EnvironmentVariable xdg("XDG_RUNTIME_DIR", {});
        EnvironmentVariable tmp("TMPDIR", QFile::encodeName(scratch.path()));
        const QString key = UniqueKey();
        CSingleInstance instance(key);
        ASSERT_FALSE(instance.SocketPath().isEmpty());
        const QFileInfo folder(QFileInfo(instance.SocketPath()).absolutePath());
        EXPECT_TRUE(folder.absoluteFilePath().startsWith(scratch.path() + "/")) << qPrintable(folder.absoluteFilePath());
        ASSERT_TRUE(folder.isDir());
        EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther),
                  QFile::Permissions()) << "only its owner may enter it";
        EXPECT_EQ(folder.ownerId(), ::getuid());
        EXPECT_TRUE(instance.Acquire());
    }
}

TEST(DesktopBusTest, TheClaimGoesOutAndLightControlAndInstallerReportsComeInOverTheSessionBus) {
    testing::PrivateSessionBus bus;
    ASSERT_TRUE(bus.Running());
    CDesktopBus desktop;
    std::vector<std::pair<int, int>> requests;
    desktop.SetOnLightControl([&](int w, int l) { requests.emplace_back(w, l); });
    ASSERT_TRUE(desktop.Connect());

    // Another program on the bus hears the claim.
    std::vector<std::pair<int, int>> claims;
    CDesktopBus other;
    ASSERT_TRUE(QDBusConnection::sessionBus().connect(QString(), CDesktopBus::kPath, CDesktopBus::kInterface, "Claim",
                                                      &other, SLOT(OnLightControl(int, int))));
    other.SetOnLightControl([&](int w, int l) { claims.emplace_back(w, l); });
    EXPECT_TRUE(desktop.BroadcastClaim(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return claims.size() == 1; }, 3000));
    EXPECT_EQ(claims.front(), std::make_pair(1, 1));

    ASSERT_TRUE(CDesktopBus::SendLightControl(1, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !requests.empty(); }, 3000));
    EXPECT_EQ(requests.front(), std::make_pair(1, 0));

    // An installer's report comes in on its own interface, not as a lighting request.
    std::vector<std::pair<int, int>> reports;
    desktop.SetOnInstallerStatus([&](int w, int l) { reports.emplace_back(w, l); });
    ASSERT_TRUE(CDesktopBus::SendInstallerStatus(4, 55));
    ASSERT_TRUE(CDesktopBus::SendInstallerStatus(1, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports.size() == 2; }, 3000));
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{4, 55}, {1, 0}}));
    EXPECT_EQ(requests.size(), 1u);
}

}  // namespace
}  // namespace velnor7
