#include "app/UninstallEntry.h"

#include "app/Alerts.h"
#include "app/ScanResults.h"
#include "app/ScannedTrash.h"
#include "app/TrashMoves.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"
#include "uninstaller/UninstallRefusal.h"

#include <QPointer>

namespace plenwick {

namespace {
const char* const cantUninstallTitle = "Can’t Uninstall";
} // namespace

std::shared_ptr<UninstallSession> UninstallEntry::makeUninstallSession(const AppBundleInfo& app,
                                                                       UninstallSession::Mode mode) const {
    return std::make_shared<UninstallSession>(app, mode, environment_.uninstall);
}

void UninstallEntry::readAppThen(std::string path, ReadApplied apply) {
    assertGuiThread();
    readStop_.request_stop();
    readStop_ = std::stop_source();
    const std::uint64_t request = ++readRequest_;
    reading_ = true;
    auto read = environment_.trash.readBundle;
    const std::stop_token stop = readStop_.get_token();
    // Only the outcome of the latest request counts; an earlier one, stopped, is dropped.
    auto finish = [this, request, stop, apply = std::move(apply)](std::optional<AppBundleInfo> app) {
        if (request != readRequest_ || stop.stop_requested()) return;
        StateChanges::Operation op(changes_);
        reading_ = false;
        // The offers held back meanwhile may be asked now.
        if (!trashMoves_.collector().offers().empty()) changes_.touch(StateField::leftoverOffers);
        apply(std::move(app));
    };
    runInBackground(
        *environment_.userInitiated, &lifetime_,
        [read = std::move(read), path = std::move(path), stop]() -> std::optional<AppBundleInfo> {
            if (stop.stop_requested()) return std::nullopt;
            return read(path, stop);
        },
        [finish](std::optional<AppBundleInfo> app) { finish(std::move(app)); },
        // A reader that fails has read nothing.
        [finish](std::exception_ptr) { finish(std::nullopt); });
}

void UninstallEntry::uninstallApp(const std::string& bundleURL) {
    assertGuiThread();
    readAppThen(bundleURL, [this, bundleURL](std::optional<AppBundleInfo> app) {
        StateChanges::Operation op(changes_);
        if (std::optional<std::string> refusal = uninstallRefusal(bundleURL, app)) {
            alerts_.setLastError(std::move(refusal), std::string(cantUninstallTitle));
            return;
        }
        presentUninstallSession(makeUninstallSession(*app, UninstallSession::Mode::uninstall));
    });
}

void UninstallEntry::presentUninstallSession(std::shared_ptr<UninstallSession> session) {
    assertGuiThread();
    if (!session) return;
    // Presenting a session again wires it once.
    UninstallSession* shown = session.get();
    QObject::disconnect(shown, &UninstallSession::closeRequested, &lifetime_, nullptr);
    QObject::disconnect(shown, &UninstallSession::trashed, &lifetime_, nullptr);
    QObject::connect(shown, &UninstallSession::closeRequested, &lifetime_,
                     [this, shown] { closeUninstallSession(shown); });
    QObject::connect(shown, &UninstallSession::trashed, &lifetime_,
                     [this](const std::vector<std::string>& urls) { sessionTrashed(urls); });
    StateChanges::Operation op(changes_);
    alerts_.setUninstallSession(std::move(session));
}

void UninstallEntry::closeUninstallSession(const UninstallSession* session) {
    assertGuiThread();
    if (!session || alerts_.uninstallSession().get() != session) return;
    StateChanges::Operation op(changes_);
    alerts_.setUninstallSession(nullptr);
}

void UninstallEntry::sessionTrashed(const std::vector<std::string>& urls) {
    assertGuiThread();
    StateChanges::Operation op(changes_);
    // The scanned folder itself, or a folder holding it, went: nothing of the results stands.
    if (trashMoves_.resetIfRootRemoved(urls)) return;
    std::vector<NodeRef> nodes;
    for (const std::string& url : urls) {
        NodeRef node = results_.nodeForURL(url);
        if (node && node->parent()) nodes.push_back(std::move(node));
    }
    if (nodes.empty()) return;
    trashMoves_.removeTrashedNodes(nodes);
    // The session's moves go to the home Trash; inside the scan they still count.
    trashMoves_.rescanTrashes({homeTrashFolder()});
    upkeep_.refreshScanVolumeForRoot();
}

void UninstallEntry::respondToLeftoverOffer(bool accept) {
    assertGuiThread();
    Collector& collector = trashMoves_.collector();
    if (collector.offers().empty()) return;
    StateChanges::Operation op(changes_);
    const NodeRef app = collector.takeFirstOffer();
    if (!accept || !collectedApp(app, app->url())) return;
    readAppThen(app->url(), [this, app, path = app->url(), generation = results_.generation()](
                                std::optional<AppBundleInfo> bundle) {
        // The tree or the collector may have changed while the app was read; an offer
        // belongs to the results it was made for.
        if (!bundle || results_.generation() != generation) return;
        if (NodeRef target = collectedApp(app, path)) openCollectorSession(*bundle, target);
    });
}

NodeRef UninstallEntry::collectedApp(const NodeRef& app, const std::string& path) const {
    if (!app || !results_.root()) return {};
    const Collector& collector = trashMoves_.collector();
    if (results_.isInsideTree(app.get())) return collector.isCollected(app.get()) ? app : NodeRef();
    NodeRef now = results_.nodeForURL(path);
    return now && collector.isCollected(now.get()) ? now : NodeRef();
}

void UninstallEntry::openCollectorSession(const AppBundleInfo& bundle, const NodeRef& app) {
    StateChanges::Operation op(changes_);
    std::shared_ptr<UninstallSession> session = makeUninstallSession(bundle, UninstallSession::Mode::collector);
    // A rescan may have put a new node in the app's place meanwhile: then the collected
    // node at the app's path stands for it.
    QObject::connect(session.get(), &UninstallSession::leftoversChosen, &lifetime_,
                     [this, app, path = app->url()](const std::vector<Remnant>& remnants) {
                         NodeRef target = app;
                         if (!results_.isInsideTree(app.get())) target = results_.nodeForURL(path);
                         if (target) trashMoves_.acceptLeftovers(remnants, target);
                     });
    presentUninstallSession(std::move(session));
}

void UninstallEntry::offerLeftoversAfterTrash(const AppBundleInfo& app, std::optional<std::string> iconURL) {
    assertGuiThread();
    if (!trashMoves_.offerLeftoversSetting()) return;
    if (isSystemApp(app)) return;
    std::shared_ptr<UninstallSession> session = makeUninstallSession(app, UninstallSession::Mode::afterTrash);
    session->setIconURL(std::move(iconURL));
    // The search's completion keeps the session alive until it has been judged.
    QPointer<QObject> alive(&lifetime_);
    UninstallSession* searched = session.get();
    searched->start([this, alive, session]() mutable {
        if (alive && !session->remnants().empty() && !alerts_.uninstallSession())
            presentUninstallSession(std::move(session));
    });
}

} // namespace plenwick
