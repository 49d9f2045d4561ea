#pragma once
// The built programs started as a user starts them, on the test's own X server and
// session bus (see CMakeLists.txt), each in a home of its own.
#include "XWindows.h"

#include "common/AppImageFixture.h"
#include "common/TestSupport.h"
#include "platform/Trash.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace plenwick::test {

inline const QString busName = QStringLiteral("tarnwell.Plenwick");
inline const QString helperBusName = QStringLiteral("tarnwell.Plenwick.Helper");

// Waits for `done`, serving events meanwhile, at most `ms`.
inline bool waitFor(const std::function<bool()>& done, int ms = 20000) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // CTest starts this under its own X server and session bus: a missing one is a
        // broken run, not a reason to pass.
        ASSERT_TRUE(x.isConnected()) << "no X server";
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "no session bus";
        std::filesystem::create_directories(home / ".config");
        std::filesystem::create_directories(folder + "/inside");
        writeFile(folder + "/inside/file.txt", std::string(4096, 'x'));
        environment = QProcessEnvironment::systemEnvironment();
        // The program's own preferences, recent scans and Trash stay in the test's home.
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(home / ".config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(home / ".local/share"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(home / ".cache"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    void TearDown() override {
        for (QProcess* process : {&first, &helper}) {
            if (process->state() == QProcess::NotRunning) continue;
            process->kill();
            process->waitForFinished(5000);
        }
        expectNoReentry(first);
        // The bus lets a name go once it has seen its owner's connection close: the
        // next test's first copy must not find this one's name still held.
        EXPECT_TRUE(waitFor([] {
            const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
            return !bus->isServiceRegistered(busName) && !bus->isServiceRegistered(helperBusName);
        })) << "a name outlived its program";
    }
    // The program's error output, passed on; an observer that re-entered its object
    // while being told of a change fails the test.
    static void expectNoReentry(QProcess& process) {
        if (process.openMode() == QIODevice::NotOpen) return; // never started
        const QByteArray errors = process.readAllStandardError();
        std::fwrite(errors.constData(), 1, static_cast<std::size_t>(errors.size()), stderr);
        EXPECT_FALSE(errors.contains("was notifying its observers")) << errors.toStdString();
    }
    void start(QProcess& process, const QStringList& arguments = {}, const QString& workingFolder = {},
               const QString& program = QStringLiteral(PLENWICK_PROGRAM)) {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(10000)) << process.errorString().toStdString();
    }
    // The first copy runs, owns the program's name and shows its main window.
    void startFirst(const QString& program = QStringLiteral(PLENWICK_PROGRAM)) {
        start(first, {}, {}, program);
        ASSERT_TRUE(waitFor([&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(busName); }))
            << "the first copy never claimed its name on the session bus";
        ASSERT_TRUE(waitFor([&] { return mainWindow().has_value(); })) << "no main window";
    }
    std::optional<XWindows::Window> mainWindow() { return x.shownWindow(first.processId(), "Plenwick"); }
    std::optional<XWindows::Window> settingsWindow() { return x.shownWindow(first.processId(), "Settings"); }
    std::int64_t nameOwnerPid() {
        return QDBusConnection::sessionBus().interface()->servicePid(busName).value();
    }
    // Ends a second launch, which must take no longer than its hand-off.
    int secondLaunch(const QStringList& arguments, const QString& workingFolder = {}) {
        QProcess second;
        start(second, arguments, workingFolder);
        if (!second.waitForFinished(20000)) {
            second.kill();
            second.waitForFinished(5000);
            ADD_FAILURE() << "the second launch kept running";
            return -1;
        }
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_TRUE(x.shownWindows(second.processId()).empty());
        expectNoReentry(second);
        return second.exitCode();
    }

    // The helper (`program`) runs and offers, in a window of its own which this
    // returns, the leftovers of an AppImage moved to its Trash; a link to another app,
    // trashed with it, offers nothing.
    XWindows::Window startHelperWithLeftoverWindow(const QString& program = QStringLiteral(PLENWICK_HELPER)) {
        const std::string runtime = home / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromStdString(home / ".local/state"));
        // The menus' entries of this home only (by default): no copy installed on the
        // machine counts.
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(helperDataDirs));
        start(helper, {}, {}, program);
        // The helper claims its name on the session bus once its Trash is watched and
        // listed; what arrives in it before then is what was there already.
        EXPECT_TRUE(waitFor([&] {
            const QDBusReply<uint> owner =
                QDBusConnection::sessionBus().interface()->servicePid(helperBusName);
            return owner.isValid() && owner.value() == static_cast<uint>(helper.processId());
        })) << "the helper never claimed its name";
        EXPECT_TRUE(std::filesystem::is_directory(home / ".local/share/Trash/files")) << "the helper watches no Trash";

        // Two AppImages in ~/Applications, each with its settings in ~/.config under its
        // identifier; a link to the second lies beside the home.
        const std::string apps = home / "Applications";
        std::filesystem::create_directories(apps);
        for (const char* name : {"Foo", "Bar"}) {
            const std::string id = std::string("org.example.") + name;
            writeFile(apps + "/" + name + ".AppImage",
                      appImage({ImageNode::file(id + ".desktop", std::string("[Desktop Entry]\nType=Application\nName=") +
                                                                 name + "\nExec=" + name + "\n")}));
            std::filesystem::permissions(apps + "/" + name + ".AppImage", std::filesystem::perms::owner_exec,
                                         std::filesystem::perm_options::add);
            std::filesystem::create_directories(home / ".config/" + id);
            writeFile(home / ".config/" + id + "/settings.conf", std::string(8192, 's'));
        }
        std::filesystem::create_symlink(apps + "/Bar.AppImage", home / "Bar.AppImage");
        // Moved to the Trash as Plenwick moves them (restore information, then the item
        // renamed in), in one burst: the helper judges them in name order, the link first,
        // so an offer for it would stand before Foo's.
        {
            ScopedEnvironment moving;
            moving.set("HOME", home.path());
            moving.set("XDG_DATA_HOME", home / ".local/share");
            moveToTrash(home / "Bar.AppImage");
            moveToTrash(apps + "/Foo.AppImage");
        }
        std::optional<XWindows::Window> window;
        EXPECT_TRUE(waitFor([&] { return (window = x.shownWindow(helper.processId(), "Leftovers of Foo")).has_value(); }))
            << "the helper offered no leftovers";
        EXPECT_FALSE(x.shownWindow(helper.processId(), "Leftovers of Bar")) << "a link was judged as its app";
        return window.value_or(XWindows::Window{});
    }
    // Asks the running helper over the session bus to come forward.
    void activateHelper() {
        QDBusMessage call = QDBusMessage::createMethodCall(helperBusName, QStringLiteral("/tarnwell/Plenwick/Helper"),
                                                           QStringLiteral("org.freedesktop.Application"),
                                                           QStringLiteral("Activate"));
        call << QVariantMap();
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    // Minimises `window`, and returns once the program has taken it in.
    void minimise(xcb_window_t window) {
        x.iconify(window);
        ASSERT_FALSE(x.isMapped(window));
        ASSERT_TRUE(x.sync(window)) << "the program answers no ping";
    }

    XWindows x;
    TempFolder home, scans;
    std::string folder = scans / "scan me";
    QProcessEnvironment environment;
    std::string helperDataDirs = home / "share";
    QProcess first, helper;
};

} // namespace plenwick::test
