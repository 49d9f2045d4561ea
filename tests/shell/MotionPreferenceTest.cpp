// The desktop's reduced-motion setting: read from the settings portal and followed
// through its change signal, else from gsettings, never waited for.

#include "platform/MotionPreference.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace plenwick {
namespace {

// The portal's Settings interface, answering Read from a table. Tests run side by side on
// one session bus: other processes are left unanswered, so they never see this table.
class FakePortal final : public QDBusVirtualObject {
public:
    QVariantMap values; // "namespace key" → value
    QString client = QDBusConnection::sessionBus().baseService();

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QStringLiteral("org.freedesktop.portal.Settings") ||
            message.member() != QStringLiteral("Read") || message.service() != client)
            return false;
        const QVariantList args = message.arguments();
        const auto it = values.find(args.value(0).toString() + QLatin1Char(' ') + args.value(1).toString());
        if (it == values.end()) {
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), {}));
        } else {
            // As the portal's Read does: the value inside one more variant.
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(*it))))));
        }
        return true;
    }
};

TEST(MotionPreferenceRules, WhatEachSettingSays) {
    const QString gnome = QStringLiteral("org.gnome.desktop.interface");
    const QString kde = QStringLiteral("org.kde.kdeglobals.KDE");
    EXPECT_EQ(reduceMotionFromPortalSetting(gnome, QStringLiteral("enable-animations"), false), true);
    EXPECT_EQ(reduceMotionFromPortalSetting(gnome, QStringLiteral("enable-animations"), true), false);
    EXPECT_EQ(reduceMotionFromPortalSetting(gnome, QStringLiteral("enable-animations"), QStringLiteral("no")), std::nullopt);
    EXPECT_EQ(reduceMotionFromPortalSetting(kde, QStringLiteral("AnimationDurationFactor"), 0.0), true);
    EXPECT_EQ(reduceMotionFromPortalSetting(kde, QStringLiteral("AnimationDurationFactor"), 0.5), false);
    EXPECT_EQ(reduceMotionFromPortalSetting(gnome, QStringLiteral("font-name"), false), std::nullopt);
    // Wrapped as the portal sends it.
    EXPECT_EQ(reduceMotionFromPortalSetting(gnome, QStringLiteral("enable-animations"),
                                            QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(false))))),
              true);
}

TEST(MotionPreferencePortal, ReadsTheSettingAndFollowsItsChanges) {
    QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"));
    if (!service.isConnected()) GTEST_SKIP() << "no session bus";
    FakePortal portal;
    portal.values[QStringLiteral("org.gnome.desktop.interface enable-animations")] = false;
    ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));

    MotionPreference preference(QDBusConnection::sessionBus().name(), QString());
    EXPECT_FALSE(preference.reduceMotion()) << "nothing waited for";
    QSignalSpy changed(&preference, &MotionPreference::changed);
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_TRUE(preference.reduceMotion());

    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                     QStringLiteral("org.freedesktop.portal.Settings"),
                                                     QStringLiteral("SettingChanged"));
    signal << QStringLiteral("org.gnome.desktop.interface") << QStringLiteral("enable-animations")
           << QVariant::fromValue(QDBusVariant(true));
    // Sent again until heard: the client learns who owns the portal's name on its own time.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            service.send(signal);
            return !preference.reduceMotion();
        },
        10000));

    // A choice of the program's own wins until it is withdrawn.
    preference.setOverride(true);
    EXPECT_TRUE(preference.reduceMotion());
    preference.setOverride(std::nullopt);
    EXPECT_FALSE(preference.reduceMotion());

    service.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    service.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
}

TEST(MotionPreferenceGSettings, WithoutABusGnomesOwnSettingIsRead) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("gsettings"));
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n[ \"$1 $2 $3\" = 'get org.gnome.desktop.interface enable-animations' ] && echo false\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    MotionPreference preference(QStringLiteral("no-such-connection"), program);
    EXPECT_FALSE(preference.desktopAnswer().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return preference.desktopAnswer().has_value(); }, 10000));
    EXPECT_TRUE(preference.reduceMotion());
}

} // namespace
} // namespace plenwick
