#include "app/UninstallEntry.h"

#include "app/Alerts.h"
#include "app/ScanResults.h"
#include "app/TrashMoves.h"
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

void UninstallEntry::uninstallApp(const std::string& bundleURL) {
    assertGuiThread();
    StateChanges::Operation op(changes_);
    const auto app = AppBundleInfo::read(bundleURL);
    if (std::optional<std::string> refusal = uninstallRefusal(bundleURL, app)) {
        alerts_.setLastError(std::move(refusal), std::string(cantUninstallTitle));
        return;
    }
    presentUninstallSession(makeUninstallSession(*app, UninstallSession::Mode::uninstall));
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
    upkeep_.refreshScanVolumeForRoot();
}

void UninstallEntry::respondToLeftoverOffer(bool accept) {
    assertGuiThread();
    Collector& collector = trashMoves_.collector();
    if (collector.offers().empty()) return;
    StateChanges::Operation op(changes_);
    const NodeRef app = collector.takeFirstOffer();
    if (!accept || !results_.root() || !results_.isInsideTree(app.get()) || !collector.isCollected(app.get())) return;
    const std::optional<AppBundleInfo> bundle = environment_.trash.readBundle(app->url());
    if (!bundle) return;
    std::shared_ptr<UninstallSession> session = makeUninstallSession(*bundle, UninstallSession::Mode::collector);
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
