#include "helper/HelperState.h"

#include "base/PathNames.h"
#include "platform/TrashInfo.h"
#include "runtime/BackgroundTask.h"
#include "services/AppBundleInfo.h"
#include "services/AppsHandledNotification.h"
#include "uninstaller/UninstallRefusal.h"

#include <QPointer>

#include <cassert>
#include <sys/stat.h>

namespace plenwick {

// What is read from disk about one trashed app before it is judged.
struct HelperState::Candidate {
    bool exists = false;
    std::optional<AppBundleInfo> app;
    std::vector<std::string> otherCopies;
    std::optional<std::string> formerLocation;
};

HelperState::HelperState(HelperEnvironment environment, QObject* parent)
    : QObject(parent), env_(std::move(environment)) {
    assert(env_.preferences && env_.trashEvents && env_.clock && env_.now && env_.runningApps && env_.registry &&
           env_.windows && env_.uninstall.executor);
    // The first values are stored without telling anyone: nobody can have read others.
    const std::vector<RunningApp> running = env_.runningApps->instances(mainAppBundleID);
    isMainAppRunning_ = !running.empty();
    askOnTrash_ = env_.preferences->boolValue(askOnTrashKey, true);

    watcher_ = new TrashWatcher(env_.trashFolder, env_.trashEvents, env_.clock, this);
    watcher_->onStatusChange = [this](TrashWatcher::Status status) { setWatcherStatus(status); };
    watcher_->onAppsTrashed = [this](const std::vector<std::string>& urls) { handleTrashedApps(urls); };
    if (askOnTrash_) watcher_->start();

    if (env_.listenForHandledApps) {
        receiver_ = new AppsHandledReceiver(this);
        connect(receiver_, &AppsHandledReceiver::appsHandled, this, &HelperState::appsHandled);
    }
    if (!running.empty()) refreshMainAppRunning(); // watches the copies for their exit
}

HelperState::~HelperState() = default;

void HelperState::setWatcherStatus(TrashWatcher::Status status) {
    Operation op(observed_);
    observed_.assign(watcherStatus_, status, Field::watcherStatus);
}

void HelperState::setAskOnTrash(bool ask) {
    Operation op(observed_);
    observed_.assign(askOnTrash_, ask, Field::askOnTrash);
    env_.preferences->setValue(askOnTrashKey, ask);
    if (ask) watcher_->start();
    else watcher_->stop();
}

void HelperState::refreshMainAppRunning() {
    Operation op(observed_);
    const std::vector<RunningApp> running = env_.runningApps->instances(mainAppBundleID);
    observed_.assign(isMainAppRunning_, !running.empty(), Field::isMainAppRunning);
    if (!env_.watchExits || running.empty()) return;
    std::vector<int> pids;
    for (const RunningApp& app : running) pids.push_back(app.pid);
    env_.watchExits(pids, [self = QPointer<HelperState>(this)] {
        if (self) self->refreshMainAppRunning();
    });
}

void HelperState::applicationBecameActive() {
    if (askOnTrash_ && watcherStatus_ == TrashWatcher::Status::noAccess) watcher_->start();
}

void HelperState::markHandled(const std::vector<std::string>& keys) { handled_.mark(keys, env_.now()); }

void HelperState::appsHandled(const QStringList& bundleIDs, const QStringList& paths) {
    std::vector<std::string> keys;
    for (const QString& id : bundleIDs) keys.push_back(id.toStdString());
    for (const QString& path : paths) keys.push_back(path.toStdString());
    markHandled(keys);
}

void HelperState::uninstallApp() {
    if (env_.activate) env_.activate();
    const std::optional<std::string> chosen = env_.chooseApp ? env_.chooseApp() : std::nullopt;
    if (!chosen) return;
    const std::optional<AppBundleInfo> app = AppBundleInfo::read(*chosen);
    if (const std::optional<std::string> refusal = uninstallRefusal(*chosen, app)) {
        if (env_.alert) env_.alert(*refusal);
        return;
    }
    enqueue(std::make_shared<UninstallSession>(*app, UninstallSession::Mode::uninstall, env_.uninstall), true);
}

void HelperState::handleTrashedApps(const std::vector<std::string>& urls) {
    if (urls.empty()) return;
    auto list = std::make_shared<const std::vector<std::string>>(urls);
    // Reports of the handled-apps notification that arrive meanwhile already count.
    env_.clock->schedule(trashCheckDelay, this, [this, list] { considerFrom(list, 0); });
}

// One app after the other: each is read, judged and, when it passes, searched before
// the next is looked at.
void HelperState::considerFrom(std::shared_ptr<const std::vector<std::string>> urls, std::size_t index) {
    if (index >= urls->size()) return;
    const std::string url = (*urls)[index];
    if (!askOnTrash_) {
        considerFrom(std::move(urls), index + 1);
        return;
    }
    // Reading the bundle and looking for other copies touch the disk: off the GUI thread.
    // An app that can't be judged is skipped, never left holding up the next.
    runInBackground(
        *env_.uninstall.executor, this,
        [url, registry = env_.registry] {
            Candidate candidate;
            // The item itself is judged, never what a link in the Trash points to.
            struct stat st {};
            candidate.exists = ::lstat(url.c_str(), &st) == 0 && !S_ISLNK(st.st_mode);
            if (candidate.exists) candidate.app = AppBundleInfo::read(url);
            // An entry that stands for an app still installed elsewhere: the app stays.
            if (candidate.app && candidate.app->url != normalizedPathOrSelf(url)) candidate.app.reset();
            if (candidate.app) {
                candidate.otherCopies = installedCopies(*registry, candidate.app->bundleID, url);
                candidate.formerLocation = originalPathOfTrashedItem(url);
            }
            return candidate;
        },
        [this, url, urls, index](Candidate candidate) {
            if (!passes(candidate, url)) {
                considerFrom(urls, index + 1);
                return;
            }
            auto session =
                std::make_shared<UninstallSession>(*candidate.app, UninstallSession::Mode::afterTrash, env_.uninstall);
            session->setFormerURL(candidate.formerLocation);
            session->start([self = QPointer<HelperState>(this), session, urls, index] {
                if (!self) return;
                // Nothing is shown for an app without leftovers.
                if (!session->remnants().empty()) self->enqueue(session, false);
                self->considerFrom(urls, index + 1);
            });
        },
        [this, urls, index](std::exception_ptr) { considerFrom(urls, index + 1); });
}

bool HelperState::passes(const Candidate& candidate, const std::string& url) {
    if (!askOnTrash_ || !candidate.exists || !candidate.app) return false;
    const std::string& id = candidate.app->bundleID;
    if (isSystemApp(*candidate.app) || id == mainAppBundleID || id == helperBundleID) return false;
    if (handled_.wasRecentlyHandled(id, lastPathComponent(url), env_.now())) return false;
    return candidate.otherCopies.empty();
}

void HelperState::enqueue(std::shared_ptr<UninstallSession> session, bool front) {
    Operation op(observed_);
    if (!session) return;
    const std::string& url = session->app().url;
    if (current_ && current_->app().url == url) return;
    for (const auto& queued : queue_)
        if (queued->app().url == url) return;
    if (front) queue_.push_front(std::move(session));
    else queue_.push_back(std::move(session));
    observed_.touch(Field::queue);
    showNext();
}

void HelperState::showNext() {
    Operation op(observed_);
    if (current_ || queue_.empty()) return;
    std::shared_ptr<UninstallSession> session = queue_.front();
    queue_.pop_front();
    observed_.touch(Field::queue);
    observed_.assign(current_, session, Field::current);

    QPointer<HelperState> self(this);
    connect(session.get(), &UninstallSession::trashed, this, &HelperState::markHandled);
    std::weak_ptr<HelperWindows> windows = env_.windows;
    connect(session.get(), &UninstallSession::closeRequested, this, [windows] {
        if (auto presenter = windows.lock()) presenter->closeWindow(QString::fromLatin1(leftoversWindow));
    });
    const std::string& name = session->app().name;
    const std::string title =
        (session->mode() == UninstallSession::Mode::uninstall ? "Uninstall " : "Leftovers of ") + name;
    env_.windows->presentUninstaller(QString::fromLatin1(leftoversWindow), QString::fromStdString(title), false,
                                     [self] {
                                         if (self) self->windowClosed();
                                     },
                                     session);
}

void HelperState::windowClosed() {
    Operation op(observed_);
    observed_.assign(current_, std::shared_ptr<UninstallSession>(), Field::current);
    showNext();
}

} // namespace plenwick
