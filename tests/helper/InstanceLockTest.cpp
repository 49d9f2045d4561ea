#include "helper/InstanceLock.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

#include <memory>

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
    // `bus`: the session bus it talks to, when not this process's.
    HelperProcess(const std::string& home, const char* platform, const QString& bus = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!bus.isEmpty()) environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
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
