// The helper program as it starts, in this process: what its menu commands do with
// the desktop.
#include "helper/PlenwickHelperApp.h"

#include "helper/HelperMenu.h"
#include "helper/WindowPresenter.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include "helper/HelperMenu.h"
#include "helper/TrayAbsence.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QSystemTrayIcon>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// A home of its own for the program's Trash, settings and lock.
class PlenwickHelperAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }

    TempFolder home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

} // namespace

// The desktop's notification service, as far as the helper uses it. Tests run side by
// side on one session bus, so only what this process sends is kept.
class FakeNotifications final : public QDBusVirtualObject {
public:
    QStringList told;
    QString sender = QDBusConnection::sessionBus().baseService();

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QList<QVariant> arguments = message.arguments();
        if (message.member() != QLatin1String("Notify") || arguments.size() != 8) return false;
        if (message.service() == sender)
            told << arguments[3].toString() + QStringLiteral(": ") + arguments[4].toString();
        connection.send(message.createReply(QVariant(1u)));
        return true;
    }
};

TEST_F(PlenwickHelperAppTest, WithoutASystemTrayTheHelperSaysItRunsWithoutAnIcon) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the offscreen desktop has no tray";
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notifications"));
    if (!bus.isConnected()) GTEST_SKIP() << "no session bus";
    FakeNotifications notifications;
    ASSERT_TRUE(bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    {
        PlenwickHelperApp helper;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.told.isEmpty(); }, 20000));
    }
    EXPECT_EQ(notifications.told, QStringList{TrayAbsenceNotice::title + ": " + TrayAbsenceNotice::body});
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
}

TEST_F(PlenwickHelperAppTest, TheHelpersWindowsTakeTheKeysItsMenuShows) {
    PlenwickHelperApp helper;
    helper.menu().startupItems()->trigger();
    QWidget* startup = helper.presenter().window(QString::fromLatin1(WindowPresenter::startupItemsWindow));
    ASSERT_NE(startup, nullptr);
    for (QAction* action : helper.menu().windowActions())
        EXPECT_TRUE(startup->actions().contains(action)) << action->text().toStdString();
    // The offscreen tray draws no menu of its own: the items show their keys.
    EXPECT_EQ(helper.menu().startupItems()->shortcut(), QKeySequence("Ctrl+L"));
}

TEST_F(PlenwickHelperAppTest, UninstallAnAppBringsTheHelperForwardBeforeItsChooser) {
    PlenwickHelperApp helper;
    helper.menu().startupItems()->trigger();
    QWidget* startup = helper.presenter().window(QString::fromLatin1(WindowPresenter::startupItemsWindow));
    ASSERT_NE(startup, nullptr);
    // Another window took the focus and went: the helper's own window is behind.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    QApplication::processEvents();

    std::vector<QWindow*> cameForward;
    QObject listening; // the connection ends with the test
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &listening,
                     [&](QWindow* window) { cameForward.push_back(window); });
    QWindow* chooser = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        chooser = dialog->windowHandle();
        dialog->reject();
    });
    poll.start(10);
    helper.menu().uninstallApp()->trigger();
    poll.stop();

    ASSERT_NE(chooser, nullptr) << "the chooser opened";
    const auto at = std::find(cameForward.begin(), cameForward.end(), startup->windowHandle());
    EXPECT_NE(at, cameForward.end()) << "the helper's window came forward with it";
    EXPECT_EQ(std::find(cameForward.begin(), at, chooser), at) << "before the chooser appeared";
}
