// One owner per device between processes: another program's lock is seen and named, this
// process shares its own, and the lock goes with the last share.
#include "support/OtherProgramsLock.h"

#include "platform/files/OwnerLock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace velnor7 {
namespace {

// Whether another program could take the lock now.
bool FreeForOtherPrograms(const QString& path) { return QProcess::execute("flock", {"-n", path, "true"}) == 0; }

class OwnerLockTest : public ::testing::Test {
protected:
    QString PathOf(const char* name) const { return folder_.filePath(name); }
    QTemporaryDir folder_;
};

TEST_F(OwnerLockTest, AFileAnotherProgramHoldsIsRefusedWithTheHoldersNameAndPid) {
    const QString path = PathOf("device.lock");
    testing::OtherProgramsLock other(path.toStdString());
    ASSERT_TRUE(other.Held());
    const OwnerLock::Taken taken = OwnerLock::Take(path.toStdString(), true);
    EXPECT_EQ(taken.lock, nullptr);
    EXPECT_TRUE(taken.inUse);
    EXPECT_EQ(taken.reason, "in use by flock, pid " + std::to_string(other.Pid()));
}

TEST_F(OwnerLockTest, ThisProcessSharesItsLockAndLetsGoWithTheLastShare) {
    const std::string path = PathOf("device.lock").toStdString();
    OwnerLock::Taken first = OwnerLock::Take(path, true);
    ASSERT_NE(first.lock, nullptr) << first.reason;
    // A second connection of this process to the same device: no conflict with itself.
    OwnerLock::Taken second = OwnerLock::Take(path, true);
    ASSERT_NE(second.lock, nullptr) << second.reason;
    EXPECT_FALSE(FreeForOtherPrograms(QString::fromStdString(path)));
    first.lock.reset();
    EXPECT_FALSE(FreeForOtherPrograms(QString::fromStdString(path))) << "one share is still held";
    second.lock.reset();
    EXPECT_TRUE(FreeForOtherPrograms(QString::fromStdString(path)));
    // And this process can take it again afterwards.
    EXPECT_NE(OwnerLock::Take(path, true).lock, nullptr);
}

TEST_F(OwnerLockTest, ADeviceNodeThatIsGoneIsNeverMadeButALockFileIs) {
    const QString node = PathOf("hidraw9");
    const OwnerLock::Taken gone = OwnerLock::Take(node.toStdString());
    EXPECT_EQ(gone.lock, nullptr);
    EXPECT_FALSE(gone.inUse);
    EXPECT_FALSE(gone.reason.empty());
    EXPECT_FALSE(QFile::exists(node));

    const QString lockFile = PathOf("state.json.lock");
    EXPECT_NE(OwnerLock::Take(lockFile.toStdString(), true).lock, nullptr);
    EXPECT_TRUE(QFile::exists(lockFile));
}

}  // namespace
}  // namespace velnor7
