// The desktop's reduced-motion setting: read from the settings portal and followed
// through its change signal, else from gsettings, never waited for.

#include "platform/MotionPreference.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace plenwick {
namespace {

// The portal's Settings interface, answering from a table.
class FakePortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    QVariantMap values; // "namespace key" → value

public slots:
    Q_SCRIPTABLE QDBusVariant Read(const QString& space, const QString& key, const QDBusMessage& message) {
        const auto it = values.find(space + QLatin1Char(' ') + key);
        if (it == values.end()) {
            message.setDelayedReply(true);
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"))
                .send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), key));
            return {};
        }
        // As the portal's Read does: the value inside one more variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(*it)));
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
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                       QDBusConnection::ExportScriptableSlots));
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
    service.send(signal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !preference.reduceMotion(); }, 10000));

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

#include "MotionPreferenceTest.moc"
