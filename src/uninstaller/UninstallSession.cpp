#include "uninstaller/UninstallSession.h"

#include "uninstaller/LeftoverSearch.h"

#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"

#include <QPointer>

#include <algorithm>
#include <map>
#include <unordered_set>

namespace plenwick {

UninstallSession::UninstallSession(AppBundleInfo app, Mode mode, UninstallServices services, QObject* parent)
    : QObject(parent), id_(QUuid::createUuid()), app_(std::move(app)), mode_(mode), services_(std::move(services)),
      searchRoots_(services_.searchRoots ? *services_.searchRoots : RemnantSearchRoots()) {}

UninstallSession::~UninstallSession() {
    if (search_) search_->request_stop();
}

void UninstallSession::start(std::function<void()> whenDone) {
    Operation op(observed_);
    observed_.assign(phase_, Phase::scanning(), Field::phase);
    if (search_) search_->request_stop();
    search_.emplace();
    const std::uint64_t generation = ++searchGeneration_;

    // The work gets copies only; the session is touched again on the GUI thread, and
    // only while it exists.
    runInBackground(
        *services_.executor, this,
        [app = app_, roots = searchRoots_, mode = mode_, former = formerURL_, registry = services_.registry,
         stop = search_->get_token()] {
            SearchResult result;
            result.remnants = findRemnants(app, roots, stop, former);
            if (registry) result.otherCopies = installedCopies(*registry, app.bundleID, app.url);
            result.appSize = mode == Mode::afterTrash ? 0 : allocatedSize(app.url, stop);
            return result;
        },
        [this, generation, whenDone](SearchResult result) { applySearch(generation, std::move(result), whenDone); },
        // A search that fails found nothing: the session is ready all the same, never
        // left searching.
        [this, generation, whenDone](std::exception_ptr) { applySearch(generation, SearchResult{}, whenDone); });
}

void UninstallSession::applySearch(std::uint64_t generation, SearchResult result,
                                   const std::function<void()>& whenDone) {
    // An earlier search that ends late must not undo the newer one (or the user's ticks).
    if (generation != searchGeneration_) return;
    {
        Operation op(observed_);
        search_.reset();
        observed_.assign(remnants_, std::move(result.remnants), Field::remnants);
        observed_.assign(otherCopies_, std::move(result.otherCopies), Field::otherCopies);
        observed_.assign(appSize_, result.appSize, Field::appSize);
        std::set<std::string> ticked;
        if (otherCopies_.empty()) {
            for (const Remnant& r : remnants_)
                if (r.confidence == Remnant::Confidence::certain) ticked.insert(r.url);
        }
        observed_.assign(selected_, std::move(ticked), Field::selected);
        refreshRunningState();
        observed_.assign(phase_, Phase::ready(), Field::phase);
    }
    if (whenDone) whenDone();
}

void UninstallSession::setIconURL(std::optional<std::string> url) {
    Operation op(observed_);
    observed_.assign(iconURL_, std::move(url), Field::iconURL);
}

void UninstallSession::toggle(const std::string& url) {
    Operation op(observed_);
    if (!selected_.erase(url)) selected_.insert(url);
    observed_.touch(Field::selected);
}

void UninstallSession::selectAll(bool all) {
    Operation op(observed_);
    std::set<std::string> urls;
    if (all)
        for (const Remnant& r : remnants_) urls.insert(r.url);
    observed_.assign(selected_, std::move(urls), Field::selected);
}

std::vector<Remnant> UninstallSession::selectedRemnants() const {
    std::vector<Remnant> chosen;
    for (const Remnant& r : remnants_)
        if (selected_.count(r.url)) chosen.push_back(r);
    return chosen;
}

std::int64_t UninstallSession::selectedSize() const {
    std::int64_t total = mode_ == Mode::uninstall ? appSize_ : 0;
    for (const Remnant& r : remnants_)
        if (selected_.count(r.url)) total += r.size;
    return total;
}

std::int64_t UninstallSession::remnantsSize() const {
    std::int64_t total = 0;
    for (const Remnant& r : remnants_) total += r.size;
    return total;
}

bool UninstallSession::selectionNeedsAdmin() const {
    for (const Remnant& r : remnants_)
        if (r.needsAdmin && selected_.count(r.url)) return true;
    return false;
}

void UninstallSession::moveToTrash() {
    Operation op(observed_);
    if (phase_.kind() != Phase::Kind::ready) return;

    // The owner may close (and drop) the session from its slots: nothing of the session
    // is touched once it is gone.
    QPointer<UninstallSession> self(this);
    if (mode_ == Mode::collector) {
        emit leftoversChosen(selectedRemnants());
        if (!self) return;
        emit closeRequested();
        return;
    }

    observed_.assign(phase_, Phase::working(), Field::phase);
    const std::string appPath = normalizedPathOrSelf(app_.url);

    // Each item once, by its standardised path, the app last.
    std::vector<std::string> urls;
    std::unordered_set<std::string> listed;
    for (const Remnant& r : selectedRemnants()) {
        std::string path = normalizedPathOrSelf(r.url);
        if (path != appPath && listed.insert(path).second) urls.push_back(std::move(path));
    }
    if (mode_ == Mode::uninstall) urls.push_back(appPath);

    std::map<std::string, std::int64_t> sizes;
    for (const Remnant& r : remnants_) sizes.try_emplace(normalizedPathOrSelf(r.url), r.size);

    const ItemTrasher::Result result = services_.trash(urls);

    std::int64_t freed = 0;
    bool appTrashed = false;
    for (const std::string& url : result.trashed) {
        if (url == appPath) {
            appTrashed = true;
            freed += appSize_;
        } else if (const auto it = sizes.find(url); it != sizes.end()) {
            freed += it->second;
        }
    }
    if (mode_ == Mode::uninstall && appTrashed && services_.postAppsHandled) services_.postAppsHandled({app_});

    emit trashed(result.trashed);
    if (!self) return;
    const std::unordered_set<std::string> moved(result.trashed.begin(), result.trashed.end());
    const bool someStayed = std::any_of(result.failures.begin(), result.failures.end(),
                                        [&](const ItemTrasher::Failure& f) { return !moved.count(f.url); });
    observed_.assign(phase_, Phase::finished(freed, ItemTrasher::failureSummary(result.failures), someStayed),
                     Field::phase);
}

void UninstallSession::requestClose() { emit closeRequested(); }

void UninstallSession::quitApp() {
    Operation op(observed_);
    if (services_.runningApps)
        for (const RunningApp& instance : services_.runningApps->instancesOf(app_))
            services_.runningApps->terminate(instance);
    if (!services_.clock) return;
    QPointer<UninstallSession> self(this);
    watchForQuit(
        *services_.clock, this, [self] { return self && self->isAppRunning_; },
        [self] {
            if (self) self->refreshRunningState();
        });
}

void UninstallSession::refreshRunningState() {
    Operation op(observed_);
    const bool running = services_.runningApps && !services_.runningApps->instancesOf(app_).empty();
    observed_.assign(isAppRunning_, running, Field::isAppRunning);
}

} // namespace plenwick
