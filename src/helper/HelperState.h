#pragma once
// The whole model of the helper program. It owns the Trash watcher and turns its
// reports into offers: an application that lands in the Trash and that neither
// program has just dealt with is checked after a moment, its leftovers are searched,
// and when there are any, an uninstaller window offers them, one window at a time.
// It also serves "Uninstall an App…", keeps the "Offer to Remove Leftovers of Trashed
// Apps" choice, and knows whether the main program runs. GUI thread only.
//
// Observers connect to `changed`: one signal per outermost operation with a bit per
// observed field whose value really changed.

#include "helper/FolderEvents.h"
#include "helper/HandledApps.h"
#include "helper/HelperWindows.h"
#include "helper/TrashWatcher.h"

#include "app/Preferences.h"
#include "runtime/ObservedFields.h"
#include "runtime/TaskClock.h"
#include "services/AppRegistry.h"
#include "services/RunningApps.h"
#include "uninstaller/UninstallSession.h"

#include <QObject>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class AppsHandledReceiver;

// What the state uses of the outside world; tests substitute each part.
struct HelperEnvironment {
    std::shared_ptr<Preferences> preferences;    // the helper's own store
    std::string trashFolder;                     // the folder the Trash moves items into
    std::shared_ptr<FolderEvents> trashEvents;
    std::shared_ptr<TaskClock> clock;            // the waits of the state and the watcher
    std::function<std::chrono::milliseconds()> now; // a monotonic clock
    std::shared_ptr<RunningApps> runningApps;
    std::shared_ptr<const AppRegistry> registry; // other installed copies of a trashed app
    // Complete: the sessions' services; its executor also reads the trashed apps.
    UninstallServices uninstall;
    std::shared_ptr<HelperWindows> windows;
    // The open panel for an app; nothing when cancelled.
    std::function<std::optional<std::string>()> chooseApp;
    // A modal alert with this message.
    std::function<void(const std::string&)> alert;
    // Brings the helper to the front.
    std::function<void()> activate;
    // Calls `exited` once one of the processes has ended (nothing when unset).
    std::function<void(const std::vector<int>& pids, std::function<void()> exited)> watchExits;
    // Hear the programs' handled-apps notification on the session bus.
    bool listenForHandledApps = false;
};

class HelperState final : public QObject {
    Q_OBJECT

public:
    enum class Field : int { watcherStatus, isMainAppRunning, askOnTrash, queue, current };
    static constexpr quint64 bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }

    static constexpr const char* mainAppBundleID = "tarnwell.Plenwick";
    static constexpr const char* helperBundleID = "tarnwell.Plenwick.Helper";
    static constexpr const char* leftoversWindow = "leftovers";
    static inline const QString askOnTrashKey = QStringLiteral("askAboutLeftoversOnTrash");
    static constexpr std::chrono::milliseconds trashCheckDelay{2500};

    // Reads the stored choice, wires the watcher and starts it when the choice is on.
    explicit HelperState(HelperEnvironment environment, QObject* parent = nullptr);
    ~HelperState() override;

    // ---- Observed ----
    TrashWatcher::Status watcherStatus() const noexcept { return watcherStatus_; }
    bool isMainAppRunning() const noexcept { return isMainAppRunning_; }
    bool askOnTrash() const noexcept { return askOnTrash_; }
    const std::deque<std::shared_ptr<UninstallSession>>& queue() const noexcept { return queue_; }
    const std::shared_ptr<UninstallSession>& current() const noexcept { return current_; }

    TrashWatcher& watcher() noexcept { return *watcher_; }
    const HandledApps& handled() const noexcept { return handled_; }

    // ---- Operations ----
    // Stores the choice (also when unchanged) and starts or stops the watcher.
    void setAskOnTrash(bool ask);
    // "Uninstall an App…": asks for an app and queues its uninstaller at the front.
    void uninstallApp();
    // The watcher's report: after the check delay, each app is judged in turn and
    // offered when it has leftovers.
    void handleTrashedApps(const std::vector<std::string>& urls);
    // Remembers the keys (bundle identifiers and paths) as handled now.
    void markHandled(const std::vector<std::string>& keys);
    // The handled-apps notification: its bundle identifiers, then its paths.
    void appsHandled(const QStringList& bundleIDs, const QStringList& paths);
    // Queues a session (at the front for the menu's requests) unless its app is
    // queued or shown already, then shows the next one.
    void enqueue(std::shared_ptr<UninstallSession> session, bool front);
    void showNext();
    // Whether the main program runs, read again.
    void refreshMainAppRunning();
    // Some application became active: a Trash that couldn't be seen is tried again.
    void applicationBecameActive();

signals:
    void changed(quint64 fields);

private:
    using Operation = ObservedFields<Field>::Operation;
    struct Candidate;

    void setWatcherStatus(TrashWatcher::Status status);
    void considerFrom(std::shared_ptr<const std::vector<std::string>> urls, std::size_t index);
    bool passes(const Candidate& candidate, const std::string& url);
    void windowClosed();

    HelperEnvironment env_;
    ObservedFields<Field> observed_{[this](quint64 fields) { emit changed(fields); }};

    TrashWatcher::Status watcherStatus_ = TrashWatcher::Status::stopped;
    bool isMainAppRunning_ = false;
    bool askOnTrash_ = true;
    std::deque<std::shared_ptr<UninstallSession>> queue_;
    std::shared_ptr<UninstallSession> current_;
    HandledApps handled_;
    TrashWatcher* watcher_;
    AppsHandledReceiver* receiver_ = nullptr;
};

} // namespace plenwick
