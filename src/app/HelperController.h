#pragma once
// The main program's hold on its companion, Plenwick Helper: it registers and
// unregisters the helper as a login item, keeps its registration status and whether
// a copy runs, starts it after registering and asks every copy to quit when it is
// switched off. The helper never registers itself.
//
// Observers connect to `changed`, emitted once per public operation (and once per
// background answer) with a bit for each of `status`, `isRunning`, `lastError` and
// `isStarting` that took a different value. Looking for running copies reads /proc and the copies'
// bundles, so it runs on the executor; its answer is applied on the GUI thread, the
// newest lookup winning. It looks again whenever a copy starts or ends.

#include "platform/LoginItem.h"
#include "runtime/Executor.h"
#include "runtime/ObservedFields.h"
#include "services/RunningApps.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

// The running copies of the helper program, and starting it.
class HelperProcesses {
public:
    virtual ~HelperProcesses() = default;
    // The running copies. Any thread.
    virtual std::vector<RunningApp> running() const = 0;
    // Asks a copy to quit (the ordinary request, not a forced end). Any thread.
    virtual void terminate(const RunningApp& copy) = 0;
    // Whether the helper program is where it should be. Any thread.
    virtual bool isInstalled() const = 0;
    // Starts the helper in the background, detached from this program. GUI thread.
    virtual void launch() = 0;
    // Calls `exited` on the GUI thread when one of `copies` ends; a process already
    // watched is not watched twice. GUI thread.
    virtual void watchExits(const std::vector<RunningApp>& copies, std::function<void()> exited) = 0;
    // Calls `changed` on the GUI thread whenever a copy starts or ends, however it was
    // started (at login, say), while the returned object lives. GUI thread.
    virtual std::unique_ptr<QObject> watchStartsAndEnds(std::function<void()> changed) = 0;
};

class HelperController final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* bundleIdentifier = "tarnwell.Plenwick.Helper";

    enum class Field : int { status, isRunning, lastError, isStarting };
    static constexpr quint64 bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }

    // `launchDelay`: the wait after registering before the helper is started.
    HelperController(std::unique_ptr<LoginItemService> service, std::unique_ptr<HelperProcesses> processes,
                     std::shared_ptr<Executor> executor,
                     std::chrono::milliseconds launchDelay = std::chrono::seconds(3), QObject* parent = nullptr);
    ~HelperController() override;

    // The one controller of this program, for the helper inside its own bundle; made
    // on first use on the GUI thread and kept until the application object goes.
    static HelperController& shared();

    LoginItemStatus status() const noexcept { return status_; }
    bool isRunning() const noexcept { return isRunning_; }
    // A start is under way: from turning it on (through the wait) or Start, until a
    // copy is seen running, the start is given up, or a launch delay after the launch.
    bool isStarting() const noexcept { return isStarting_; }
    const std::optional<std::string>& lastError() const noexcept { return lastError_; }
    void setLastError(std::optional<std::string> error);

    // Re-reads the status at once and looks for running copies in the background.
    void refresh();
    // On: registers; after the launch delay refreshes and, when enabled, starts the
    // helper unless a copy runs. Off: unregisters and asks every running copy to quit.
    // A failure is kept in `lastError`. Either way ends with a refresh.
    void setEnabled(bool enabled);
    // Starts the helper unless a copy runs or the program is missing.
    void launchHelper();

signals:
    void changed(quint64 fields);

private:
    using Operation = ObservedFields<Field>::Operation;

    void readStatus();
    void setStarting(bool starting);
    // Looks for running copies; `then` runs on the GUI thread with them after they are stored.
    void lookUpRunning(std::function<void(const std::vector<RunningApp>&)> then = {});

    std::unique_ptr<LoginItemService> service_;
    std::shared_ptr<HelperProcesses> processes_; // shared with background lookups
    std::shared_ptr<Executor> executor_;
    std::chrono::milliseconds launchDelay_;
    std::unique_ptr<QObject> startsAndEnds_;
    LoginItemStatus status_ = LoginItemStatus::notRegistered;
    bool isRunning_ = false;
    bool isStarting_ = false;
    std::uint64_t startGeneration_ = 0; // a later start's or stop's end of starting counts
    std::optional<std::string> lastError_;
    std::uint64_t lookupGeneration_ = 0;
    ObservedFields<Field> observed_{[this](quint64 fields) { emit changed(fields); }};
};

// The helper's copies on this machine, found and asked to quit through `apps`;
// `executable` is the helper inside this program's bundle, the one launched.
std::unique_ptr<HelperProcesses> makeSystemHelperProcesses(std::shared_ptr<RunningApps> apps, std::string executable);

// The helper's program inside the bundle at `mainBundlePath`.
std::string helperExecutablePath(const std::string& mainBundlePath);

} // namespace plenwick
