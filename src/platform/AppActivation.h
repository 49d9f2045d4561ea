#pragma once
// Bringing a running program forward from another one, the freedesktop.org way: the
// program owns a well-known name on the session bus and answers
// org.freedesktop.Application.Activate and Open; the other program calls it, and
// starts the program itself when nobody owns the name. A second launch of the
// program hands itself to the first the same way.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    // What an Open call does with the local paths its file URLs name (raw bytes, in
    // the order given). Without it, or when no URL names a local file, Open comes
    // forward as Activate does.
    void setOpen(std::function<void(const std::vector<std::string>& paths)> open) { open_ = std::move(open); }

    // The object path of a service: "/" and its name with "." as "/".
    static QString objectPath(const QString& service);

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);

private:
    QString service_;
    std::function<void()> activate_;
    std::function<void(const std::vector<std::string>&)> open_;
    bool registered_ = false;
};

// Asks the owner of `service` to come forward; `notRunning` runs on the GUI thread
// when the name has no owner or there is no session bus. Returns at once.
void requestActivation(const QString& service, std::function<void()> notRunning);

// How a launch handed to a running copy went.
enum class HandOff {
    delivered,  // the copy that owns the name answered
    notRunning, // nobody owns the name, or there is no session bus
    unanswered, // the name has an owner that did not answer in time, or refused
};

// Hands a launch to the owner of `service`: Open with the file URLs of `paths` (raw
// bytes, absolute) when there are any, else Activate. Waits for the answer, at most
// `timeoutMs`; meant for a program's start, before its event loop runs.
HandOff handOffToRunningCopy(const QString& service, const std::vector<std::string>& paths, int timeoutMs = 10000);

// Brings this program to the front: its open windows are raised and asked to become
// active, and so is the next window it shows (the dialog a command is about to open).
// GUI thread.
void activateApplication();

// Follows the owner of `service` on the session bus, the program's own notice that
// the program owning the name started or ended: `changed` runs on the GUI thread at
// every change while the returned object lives. Without a session bus it never runs.
std::unique_ptr<QObject> followBusNameOwner(const QString& service, std::function<void()> changed);

} // namespace plenwick
