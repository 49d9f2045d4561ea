#include "helper/InstanceLock.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

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

// Sets an environment variable (unsets it for nullptr) until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ScopedVariable(const char* name, const std::string& value) : ScopedVariable(name, value.c_str()) {}
    ~ScopedVariable() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

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
    // `bus`: the session bus it talks to, when not this process's.
    // `errors`: whether its error output is kept to be read rather than passed on.
    HelperProcess(const std::string& home, const char* platform, const QString& bus = {}, bool errors = false) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!bus.isEmpty()) environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        const QString homeText = QString::fromStdString(home);
        environment.insert(QStringLiteral("HOME"), homeText);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), homeText + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), homeText + QStringLiteral("/.config"));
        // The lock lives in the runtime folder: each test's helper has its own.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), homeText + QStringLiteral("/run"));
        std::filesystem::create_directories(home + "/run");
        ::chmod((home + "/run").c_str(), 0700);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(errors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
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

// A session bus of its own, so that no other test's helper holds the name meanwhile.
class PrivateBus {
public:
    PrivateBus() {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (!daemon.waitForStarted() || !daemon.waitForReadyRead(10000)) return;
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        connection = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("private")));
    }
    ~PrivateBus() {
        connection.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("private"));
        daemon.kill();
        daemon.waitForFinished();
    }
    bool isConnected() const { return connection && connection->isConnected(); }
    // The process that owns `name`, or 0.
    uint owner(const QString& name) const {
        const QDBusReply<uint> pid = connection->interface()->servicePid(name);
        return pid.isValid() ? pid.value() : 0;
    }

    QProcess daemon;
    QString address;
    std::unique_ptr<QDBusConnection> connection;
};

} // namespace

TEST(HelperProgram, OwnsItsNameOnTheSessionBusWhileItRuns) {
    PrivateBus bus;
    if (!bus.isConnected()) GTEST_SKIP() << "no dbus-daemon (tools/dev installs it)";
    const QString name = QStringLiteral("tarnwell.Plenwick.Helper");
    TempFolder home;
    HelperProcess helper(home.path(), "offscreen", bus.address);
    const auto pid = static_cast<uint>(helper.process.processId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus.owner(name) == pid; }, 10000)) << "the main program's sign that it runs";

    // Asked to come forward, it answers.
    QDBusMessage call = QDBusMessage::createMethodCall(name, QStringLiteral("/tarnwell/Plenwick/Helper"),
                                                       QStringLiteral("org.freedesktop.Application"),
                                                       QStringLiteral("Activate"));
    call << QVariantMap();
    const QDBusMessage reply = bus.connection->call(call, QDBus::Block, 5000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();

    helper.process.terminate();
    ASSERT_TRUE(helper.process.waitForFinished(10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bus.owner(name) == 0; }, 5000)) << "and its sign that it ended";
}

TEST(InstanceLock, LivesInAPrivateFolderUnderTheRuntimeFolderElseTheStateFolder) {
    TempFolder home;
    ScopedVariable homeVariable("HOME", home.path());
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", home / "run");
        ScopedVariable state("XDG_STATE_HOME", home / "state");
        EXPECT_EQ(applicationSupportFolder(), home / "run/Plenwick");
    }
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", "relative/run");
        ScopedVariable state("XDG_STATE_HOME", home / "state");
        EXPECT_EQ(applicationSupportFolder(), home / "state/Plenwick") << "only an absolute folder counts";
    }
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedVariable state("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(applicationSupportFolder(), home / ".local/state/Plenwick");
    EXPECT_FALSE(existsNoFollow(home / "Library")) << "nothing of ours makes a Library folder";
}

TEST(InstanceLock, ThePrivateLockFileAdmitsOneHolder) {
    TempFolder run;
    const std::string folder = run / "Plenwick";
    const InstanceLockResult first = acquireInstanceLock(lockName, folder);
    ASSERT_EQ(first.outcome, InstanceLockResult::Outcome::acquired) << std::strerror(first.error);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the folder is private to the user";
    ASSERT_EQ(::stat((folder + "/" + lockName + ".lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const InstanceLockResult second = acquireInstanceLock(lockName, folder);
    EXPECT_EQ(second.outcome, InstanceLockResult::Outcome::heldElsewhere) << "held by another open file";
    EXPECT_EQ(second.descriptor, -1);
    ::close(first.descriptor);
    const InstanceLockResult again = acquireInstanceLock(lockName, folder);
    EXPECT_EQ(again.outcome, InstanceLockResult::Outcome::acquired) << "a lock file left behind holds nothing";
    if (again.descriptor >= 0) ::close(again.descriptor);
}

TEST(InstanceLock, ALockThatCantBeOpenedIsAFailureNotAnotherCopy) {
    TempFolder dir;
    const auto expectFailure = [&](const std::string& folder, int error, const char* what) {
        const InstanceLockResult result = acquireInstanceLock(lockName, folder);
        EXPECT_EQ(result.outcome, InstanceLockResult::Outcome::failed) << what;
        EXPECT_EQ(result.error, error) << what << ": " << std::strerror(result.error);
        EXPECT_EQ(result.path, folder + "/" + lockName + ".lock") << what;
        if (result.descriptor >= 0) ::close(result.descriptor);
    };

    writeFile(dir / "file", "");
    expectFailure(dir / "file/sub", ENOTDIR, "a file in the folder's way");

    // A link planted as the lock file is not followed, even to a file that could be locked.
    std::filesystem::create_directories(dir / "linked");
    writeFile(dir / "target", "");
    std::filesystem::create_symlink(dir / "target", dir / ("linked/" + lockName + ".lock"));
    expectFailure(dir / "linked", ELOOP, "a link as the lock file");
    std::filesystem::create_symlink(dir / "linked", dir / "folderLink");
    expectFailure(dir / "folderLink", ENOTDIR, "a link as the folder");

    // Left root's after a run as root: the user's helper can't open it.
    const std::string owned = dir / "owned";
    std::filesystem::create_directories(owned);
    writeFile(owned + "/" + lockName + ".lock", "");
    ::chmod((owned + "/" + lockName + ".lock").c_str(), 0600);
    ASSERT_EQ(::chown(dir.path().c_str(), nobodyID, nobodyID), 0);
    ASSERT_EQ(::chown(owned.c_str(), nobodyID, nobodyID), 0);
    const std::string outcome = inChild(
        [&] {
            const InstanceLockResult result = acquireInstanceLock(lockName, owned);
            if (result.outcome != InstanceLockResult::Outcome::failed) return std::string("not failed");
            return std::string(result.error == EACCES ? "" : std::strerror(result.error));
        },
        true);
    EXPECT_EQ(outcome, "") << "a root-owned lock file";
}

TEST(InstanceLock, TheProcessTakesItOnce) {
    TempFolder run;
    ScopedVariable runtime("XDG_RUNTIME_DIR", run.path());
    // The lock is the process's for good: a child takes it, so that this test sees a
    // fresh process whatever ran before it in this one.
    const std::string outcome = inChild([&]() -> std::string {
        const InstanceLockResult first = takeHelperInstanceLock();
        if (first.outcome != InstanceLockResult::Outcome::acquired) return "not acquired";
        const InstanceLockResult again = takeHelperInstanceLock();
        if (again.outcome != InstanceLockResult::Outcome::acquired) return "asked again, it is already this process's";
        if (again.descriptor != first.descriptor) return "another descriptor";
        if (!isHeld(run / ("Plenwick/" + lockName + ".lock"))) return "not held";
        return "ok";
    });
    EXPECT_EQ(outcome, "ok");
}

TEST(InstanceLock, ASecondHelperLeavesWithStatusZeroBeforeAnyInterface) {
    TempFolder home;
    const std::string lock = home / ("run/Plenwick/" + lockName + ".lock");
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

TEST(InstanceLock, AHelperThatCantTakeTheLockSaysSoAndFails) {
    TempFolder home;
    std::filesystem::create_directories(home / "run/Plenwick");
    writeFile(home / "elsewhere", "");
    std::filesystem::create_symlink(home / "elsewhere", home / ("run/Plenwick/" + lockName + ".lock"));
    HelperProcess helper(home.path(), "no-such-platform", {}, true);
    ASSERT_TRUE(helper.process.waitForFinished(10000));
    EXPECT_EQ(helper.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.process.exitCode(), 1) << "not the silent leave of a second copy";
    const std::string said = helper.process.readAllStandardError().toStdString();
    EXPECT_NE(said.find("can't take the lock " + home / ("run/Plenwick/" + lockName + ".lock")), std::string::npos)
        << said;
    EXPECT_NE(said.find(std::strerror(ELOOP)), std::string::npos) << said;
}
