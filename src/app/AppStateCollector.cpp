// The collector's operations: adding and removing items under its rules, the leftover
// offers for collected apps and the leftovers chosen for them.

#include "app/AppState.h"

#include "app/PathRelations.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "platform/TrashFolders.h"
#include "scanner/MountTable.h"

#include <algorithm>

namespace plenwick {

namespace {

// Whether the item at `path` is one of the Trash's own folders or inside one. The
// mount table is read only for a path that holds a mount Trash's name.
bool isInTrash(const std::string& path) {
    std::optional<std::vector<Mount>> mounts;
    return pathIsPartOfTrash(normalizedPathOrSelf(path), normalizedPathOrSelf(xdgDataHome() + "/Trash"),
                             [&](std::string_view folder) {
                                 if (!mounts) mounts = readMountTable();
                                 return std::any_of(mounts->begin(), mounts->end(),
                                                    [&](const Mount& mount) { return mount.path == folder; });
                             });
}

} // namespace

void AppState::addToCollector(const std::vector<NodeRef>& nodes) {
    assertGuiThread();
    if (!root()) return;
    std::vector<NodeRef> candidates = nodesBelowRoot(nodes);
    // The Trash's own folders cannot be collected: moving them would break the Trash.
    std::erase_if(candidates, [](const NodeRef& node) { return isInTrash(node->url()); });
    if (candidates.empty()) return;
    Operation op(*this);
    const std::vector<NodeRef> added = collector_.add(candidates);
    if (!added.empty() && offerLeftoversSetting()) collector_.queueOffers(added);
}

void AppState::removeFromCollector(const NodeRef& node) {
    assertGuiThread();
    Operation op(*this);
    collector_.remove(node);
}

bool AppState::offerLeftoversSetting() const {
    // A stored true or false, as the store keeps it; anything else counts as on. The
    // settings file stores a flag as the text "true" or "false".
    const QVariant value = environment_.preferences->value(PreferenceKeys::offerLeftoversOnCollect);
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("false")) return false;
    }
    return true;
}

void AppState::respondToLeftoverOffer(bool accept) {
    assertGuiThread();
    if (leftoverOffers().empty()) return;
    Operation op(*this);
    const NodeRef app = collector_.takeFirstOffer();
    if (!accept || !root() || !isInsideTree(app.get()) || !isCollected(app.get())) return;
    const std::optional<AppBundleInfo> bundle = environment_.trash.readBundle(app->url());
    if (!bundle) return;
    std::shared_ptr<UninstallSession> session = makeUninstallSession(*bundle, UninstallSession::Mode::collector);
    // A rescan may have put a new node in the app's place meanwhile: then the collected
    // node at the app's path stands for it.
    connect(session.get(), &UninstallSession::leftoversChosen, this,
            [this, app, path = app->url()](const std::vector<Remnant>& remnants) {
                NodeRef target = app;
                if (!isInsideTree(app.get())) target = nodeForURL(path);
                if (target) acceptLeftovers(remnants, target);
            });
    presentUninstallSession(std::move(session));
}

void AppState::acceptLeftovers(const std::vector<Remnant>& remnants, const NodeRef& app) {
    assertGuiThread();
    if (!root() || !app || !isInsideTree(app.get()) || !isCollected(app.get())) return;
    Operation op(*this);
    const std::string rootPath = normalizedPath(root()->url());
    std::vector<NodeRef> inTree;
    std::vector<Remnant> outside;
    for (const Remnant& remnant : remnants) {
        // The scanned folder itself, or a folder holding it, never goes with an app.
        if (pathIsOrEncloses(normalizedPathOrSelf(remnant.url), rootPath)) continue;
        NodeRef node = nodeForURL(remnant.url);
        if (node && node->parent())
            inTree.push_back(std::move(node));
        else
            outside.push_back(remnant);
    }
    collector_.setLeftovers(app, std::move(outside));
    addToCollector(inTree);
    collector_.countChange();
}

} // namespace plenwick
