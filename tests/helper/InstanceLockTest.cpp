#include "helper/InstanceLock.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

const std::string lockName = "tarnwell.Plenwick.Helper";

// Whether some process holds the lock file's lock (probing takes and drops it).
bool isHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// Whether the process has the file open.
bool hasOpen(qint64 pid, const std::string& path) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored) == path) return true;
    }
    return false;
}

class HelperProcess {
public:
    HelperProcess(const std::string& home, const char* platform) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString homeText = QString::fromStdString(home);
        environment.insert(QStringLiteral("HOME"), homeText);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), homeText + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), homeText + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(PLENWICK_HELPER_PROGRAM), {});
        process.waitForStarted();
    }
    ~HelperProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    QProcess process;
};

} // namespace

TEST(InstanceLock, ThePrivateLockFileAdmitsOneHolder) {
    TempFolder home;
    const std::string folder = applicationSupportFolder(home.path());
    EXPECT_EQ(folder, home / "Library/Application Support/Plenwick");
    const std::optional<int> first = acquireInstanceLock(lockName, folder);
    ASSERT_TRUE(first) << "the folder is made with its parents";
    struct stat st {};
    for (const char* made : {"/Library", "/Library/Application Support", "/Library/Application Support/Plenwick"}) {
        ASSERT_EQ(::stat((home.path() + made).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made << " is private to the user";
    }
    ASSERT_EQ(::stat((folder + "/" + lockName + ".lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(acquireInstanceLock(lockName, folder)) << "held by another open file";
    ::close(*first);
    const std::optional<int> again = acquireInstanceLock(lockName, folder);
    EXPECT_TRUE(again) << "a lock file left behind holds nothing";
    if (again) ::close(*again);

    writeFile(home / "file", "");
    EXPECT_FALSE(acquireInstanceLock(lockName, home / "file/sub")) << "a file that can't be opened counts as held";
}

TEST(InstanceLock, TheProcessTakesItOnce) {
    TempFolder home;
    EXPECT_TRUE(takeHelperInstanceLock(home.path()));
    EXPECT_TRUE(takeHelperInstanceLock(home.path())) << "asked again, it is already this process's";
    EXPECT_TRUE(isHeld(applicationSupportFolder(home.path()) + "/" + lockName + ".lock"));
}

TEST(InstanceLock, ASecondHelperLeavesWithStatusZeroBeforeAnyInterface) {
    TempFolder home;
    const std::string lock = applicationSupportFolder(home.path()) + "/" + lockName + ".lock";
    HelperProcess first(home.path(), "offscreen");
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasOpen(first.process.processId(), lock); }, 10000));
    QTest::qWait(300);
    ASSERT_EQ(first.process.state(), QProcess::Running);
    EXPECT_TRUE(isHeld(lock));

    // Had it reached the display, this platform name would have ended it with an error.
    HelperProcess second(home.path(), "no-such-platform");
    ASSERT_TRUE(second.process.waitForFinished(10000));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_EQ(first.process.state(), QProcess::Running) << "the first one is left alone";

    // A crashed holder frees the lock; the next helper takes it.
    first.process.kill();
    first.process.waitForFinished();
    EXPECT_FALSE(isHeld(lock));
    HelperProcess third(home.path(), "offscreen");
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasOpen(third.process.processId(), lock); }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(third.process.state(), QProcess::Running);
    EXPECT_TRUE(isHeld(lock));
}
