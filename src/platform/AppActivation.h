#pragma once
// Bringing a running program forward from another one, the freedesktop.org way: the
// program owns a well-known name on the session bus and answers
// org.freedesktop.Application.Activate; the other program calls it, and starts the
// program itself when nobody owns the name.

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace plenwick {

// Answers Activate calls for `service` (a bus name such as "tarnwell.Plenwick") with
// `activate`, on the GUI thread, while the returned object lives. Without a session
// bus, or when another process owns the name already, it answers nothing.
class AppActivation final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    AppActivation(const QString& service, std::function<void()> activate, QObject* parent = nullptr);
    ~AppActivation() override;
    bool isRegistered() const noexcept { return registered_; }

    // The object path of a service: "/" and its name with "." as "/".
    static QString objectPath(const QString& service);

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);

private:
    QString service_;
    std::function<void()> activate_;
    bool registered_ = false;
};

// Asks the owner of `service` to come forward; `notRunning` runs on the GUI thread
// when the name has no owner or there is no session bus. Returns at once.
void requestActivation(const QString& service, std::function<void()> notRunning);

// Brings this program to the front: its open windows are raised and asked to become
// active, and so is the next window it shows (the dialog a command is about to open).
// GUI thread.
void activateApplication();

// Follows the owner of `service` on the session bus, the program's own notice that
// the program owning the name started or ended: `changed` runs on the GUI thread at
// every change while the returned object lives. Without a session bus it never runs.
std::unique_ptr<QObject> followBusNameOwner(const QString& service, std::function<void()> changed);

} // namespace plenwick
