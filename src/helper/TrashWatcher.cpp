#include "helper/TrashWatcher.h"

#include "base/PathNames.h"
#include "runtime/GuiThread.h"
#include "services/AppBundleInfo.h"

#include <QPointer>

namespace plenwick {

TrashWatcher::TrashWatcher(std::string folder, std::shared_ptr<FolderEvents> events,
                           std::shared_ptr<TaskClock> clock, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), events_(std::move(events)), clock_(std::move(clock)) {
    // A look at the entry itself, never through a link: a few bytes or one listing.
    detector_.mayBeApp = [folder = folder_](const std::string& name) {
        return mayBeApp(appendingPathComponent(folder, name));
    };
}

TrashWatcher::~TrashWatcher() = default;

void TrashWatcher::start() {
    const bool first = !started_;
    started_ = true;
    restart(first);
}

void TrashWatcher::restart(bool prepare) {
    assertGuiThread();
    cancelSource();
    if (prepare) events_->prepare(folder_);
    // Watched before it is listed: whatever arrives after the listing is heard.
    QPointer<TrashWatcher> self(this);
    source_ = events_->watch(folder_, [self](FolderEvents::Mask mask) {
        assertGuiThread();
        if (self) self->handleEvents(mask);
    });
    std::optional<std::vector<std::string>> names;
    if (source_) names = events_->list(folder_);
    if (!names) {
        cancelSource();
        setStatus(Status::noAccess);
        scheduleRetry();
        return;
    }
    // Whatever is there now is the baseline, app or not: never reported, never judged.
    detector_.known = std::set<std::string>(names->begin(), names->end());
    cancelRetry();
    setStatus(Status::watching);
}

void TrashWatcher::stop() {
    assertGuiThread();
    cancelSource();
    cancelRetry();
    setStatus(Status::stopped);
}

void TrashWatcher::handleEvents(FolderEvents::Mask mask) {
    // The folder itself went away or was replaced: open it again by its path.
    if (mask & (FolderEvents::deleted | FolderEvents::renamed)) restart(false);
    else scheduleCheck();
}

void TrashWatcher::scheduleCheck() {
    const std::uint64_t generation = ++checkGeneration_;
    checkPending_ = true;
    clock_->schedule(quietPeriod, this, [this, generation] {
        if (generation != checkGeneration_) return;
        checkPending_ = false;
        check();
    });
}

void TrashWatcher::check() {
    const std::optional<std::vector<std::string>> names = events_->list(folder_);
    if (!names) {
        setStatus(Status::noAccess);
        cancelSource();
        scheduleRetry();
        return;
    }
    const std::vector<std::string> arrived = detector_.update(*names);
    if (arrived.empty() || !onAppsTrashed) return;
    std::vector<std::string> paths;
    paths.reserve(arrived.size());
    for (const std::string& name : arrived) paths.push_back(appendingPathComponent(folder_, name));
    auto report = onAppsTrashed; // the owner may replace the callback while it runs
    report(paths);
}

void TrashWatcher::scheduleRetry() {
    const std::uint64_t generation = ++retryGeneration_;
    retryPending_ = true;
    clock_->schedule(retryInterval, this, [this, generation] {
        if (generation != retryGeneration_) return;
        retryPending_ = false;
        restart(false);
    });
}

void TrashWatcher::cancelSource() {
    source_.reset();
    ++checkGeneration_;
    checkPending_ = false;
}

void TrashWatcher::cancelRetry() {
    ++retryGeneration_;
    retryPending_ = false;
}

void TrashWatcher::setStatus(Status status) {
    if (status == status_) return;
    status_ = status;
    if (auto tell = onStatusChange) tell(status);
}

} // namespace plenwick
