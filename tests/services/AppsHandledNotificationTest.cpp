#include "services/AppsHandledNotification.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>

using namespace plenwick;

namespace {
AppBundleInfo app(std::string path, std::string id) {
    return AppBundleInfo{std::move(path), "App", std::move(id), std::nullopt, std::nullopt, {}};
}
} // namespace

TEST(AppsHandledNotification, ReachesTheReceiverAsPlainText) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "libdbus is not built for the thread sanitizer and reports its own locking";
#endif
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (tools/dev test provides one)";
    AppsHandledReceiver receiver;
    ASSERT_TRUE(receiver.isConnected());
    QSignalSpy spy(&receiver, &AppsHandledReceiver::appsHandled);

    postAppsHandled({});
    postAppsHandled({app("/Applications/My App.app", "com.x.one"), app("/Applications/Café ü.app", "com.x.two")});
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_FALSE(spy.wait(300)) << "an empty list posts nothing";
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toStringList(), (QStringList{"com.x.one", "com.x.two"}));
    EXPECT_EQ(spy[0][1].toStringList(), (QStringList{"/Applications/My App.app", "/Applications/Café ü.app"}));

    // A sender with a missing or mistyped entry is read as empty lists.
    QDBusMessage odd = QDBusMessage::createSignal("/tarnwell/Plenwick", "tarnwell.Plenwick", "appsHandled");
    odd << QVariantMap{{"bundleIDs", QStringList{"com.x.three"}}, {"paths", 42}};
    QDBusConnection::sessionBus().send(odd);
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy[1][0].toStringList(), (QStringList{"com.x.three"}));
    EXPECT_TRUE(spy[1][1].toStringList().isEmpty());
}
