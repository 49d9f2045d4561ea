#pragma once
// Tells the helper when applications arrive in the user's Trash. It watches the
// folder, waits for a burst of changes to settle, lists it, and reports the entries
// the previous listing lacked that may be apps (AppImages, app folders, desktop
// entries, bundle-style folders); what was there when watching (re)started is never
// reported. A folder it can't list or watch makes it "no access" and retried
// every 15 seconds. Lives on the GUI thread.

#include "helper/FolderEvents.h"
#include "helper/TrashedAppDetector.h"

#include "runtime/TaskClock.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plenwick {

class TrashWatcher final : public QObject {
    Q_OBJECT

public:
    enum class Status { stopped = 0, watching = 1, noAccess = 2 };

    static constexpr std::chrono::milliseconds quietPeriod{700};
    static constexpr std::chrono::milliseconds retryInterval{15'000};

    // Touches nothing on disk until started.
    TrashWatcher(std::string folder, std::shared_ptr<FolderEvents> events, std::shared_ptr<TaskClock> clock,
                 QObject* parent = nullptr);
    ~TrashWatcher() override;

    Status status() const noexcept { return status_; }
    const std::string& folder() const noexcept { return folder_; }
    const TrashedAppDetector& detector() const noexcept { return detector_; }
    bool hasPendingCheck() const noexcept { return checkPending_; }
    bool hasPendingRetry() const noexcept { return retryPending_; }

    // Called only when the status really changes, after it is stored.
    std::function<void(Status)> onStatusChange;
    // The paths of newly arrived applications, by name in byte order; never empty.
    std::function<void(const std::vector<std::string>&)> onAppsTrashed;

    // Begins watching afresh, in any state: the folder is watched and then listed
    // (its applications become the baseline). Only the very first start makes the
    // folder when it is missing; later starts and the retries wait for it to exist.
    void start();
    // Ends watching, in any state.
    void stop();

private:
    // `prepare`: make the folder when missing. Only at the first start: a folder
    // deleted or moved away later is waited for, so that whoever removes or replaces
    // it is not raced.
    void restart(bool prepare);
    void handleEvents(FolderEvents::Mask mask);
    void scheduleCheck();
    void check();
    void scheduleRetry();
    void cancelSource();
    void cancelRetry();
    void setStatus(Status status);

    std::string folder_;
    std::shared_ptr<FolderEvents> events_;
    std::shared_ptr<TaskClock> clock_;
    Status status_ = Status::stopped;
    std::unique_ptr<FolderEvents::Watch> source_;
    TrashedAppDetector detector_;
    // A wait is cancelled by moving its generation on: the late wake-up finds it stale.
    std::uint64_t checkGeneration_ = 0;
    std::uint64_t retryGeneration_ = 0;
    bool checkPending_ = false;
    bool retryPending_ = false;
    bool started_ = false;
};

} // namespace plenwick
