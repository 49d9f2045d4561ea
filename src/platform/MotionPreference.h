#pragma once
// Whether the user asked the desktop for reduced motion, so that animated views show
// their changes at once instead.
//
// The answer comes from the desktop settings portal on the session bus
// (org.freedesktop.portal.Settings): GNOME's "enable-animations" off, or KDE's
// animation speed at 0, means reduced motion; later changes arrive through the
// portal's SettingChanged signal. Without a portal, GNOME's own setting is read once
// through `gsettings`. Both are asked asynchronously: the GUI thread never waits for
// the bus or the program. Until an answer arrives, and when nothing answers, motion
// is not reduced.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>

class QDBusMessage;
class QProcess;

namespace plenwick {

class MotionPreference final : public QObject {
    Q_OBJECT

public:
    // Asks the portal on the D-Bus connection named `bus`, then `gsettings` (a program
    // name or path; empty: not asked).
    MotionPreference(const QString& bus, QString gsettings, QObject* parent = nullptr);
    ~MotionPreference() override;

    // The program's: the session bus and the gsettings in PATH, unless other sources
    // were named first; made on first use on the GUI thread and kept until the
    // application object goes.
    static MotionPreference& shared();
    // Where the shared preference is to ask, named before its first use (empty: not
    // asked). Tests ask nothing, so the desktop they run on plays no part in them.
    static void setSharedSources(QString bus, QString gsettings);

    bool reduceMotion() const noexcept { return override_.value_or(desktop_.value_or(false)); }
    // What the desktop said, none before it said anything.
    std::optional<bool> desktopAnswer() const noexcept { return desktop_; }
    // A choice that wins over the desktop's (pictures and tests); none follows the desktop.
    void setOverride(std::optional<bool> reduce);

signals:
    void changed(bool reduceMotion);

private slots:
    // The portal's SettingChanged signal: namespace, key and value.
    void onSettingChanged(const QDBusMessage& message);

private:
    void readPortal(const QString& space, const QString& key, bool lastChance);
    void readGSettings();
    void apply(std::optional<bool> desktop);

    QString bus_;
    QString gsettings_;
    std::optional<bool> desktop_;
    std::optional<bool> override_;
    bool fellBack_ = false;
    QPointer<QProcess> reading_; // gsettings while it runs
};

// What one portal setting says of motion: reduced, not reduced, or none for a setting
// that is not about it (or a value of another type).
std::optional<bool> reduceMotionFromPortalSetting(const QString& space, const QString& key, const QVariant& value);

} // namespace plenwick
