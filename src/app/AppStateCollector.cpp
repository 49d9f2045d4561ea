// The collector: adding and removing items under its rules, the leftover offers for
// collected apps and the leftovers chosen for them.

#include "app/AppState.h"

#include "app/PathRelations.h"
#include "app/TreeEdits.h"
#include "base/PathNames.h"

#include <QPointer>

namespace plenwick {

void AppState::addToCollector(const std::vector<NodeRef>& nodes) {
    assertGuiThread();
    if (!root_) return;
    const std::vector<NodeRef> candidates = nodesBelowRoot(nodes);
    if (candidates.empty()) return;

    std::unordered_set<const FileNode*> candidateIDs;
    for (const NodeRef& node : candidates) candidateIDs.insert(node.get());
    const auto hasAncestorIn = [](const FileNode* node, const std::unordered_set<const FileNode*>& set) {
        for (const FileNode* n = node->parent(); n; n = n->parent())
            if (set.count(n)) return true;
        return false;
    };

    std::vector<NodeRef> added;
    std::unordered_set<const FileNode*> addedIDs;
    for (const NodeRef& node : candidates) {
        if (addedIDs.count(node.get()) || collectedIDs_.count(node.get())) continue;
        if (hasAncestorIn(node.get(), collectedIDs_) || hasAncestorIn(node.get(), candidateIDs)) continue;
        addedIDs.insert(node.get());
        added.push_back(node);
    }
    if (added.empty()) return;

    Operation op(*this);
    std::vector<NodeRef> next;
    for (const NodeRef& item : collector_)
        if (!hasAncestorIn(item.get(), addedIDs)) next.push_back(item);
    next.insert(next.end(), added.begin(), added.end());
    syncCollector(std::move(next));
    offerLeftovers(added);
}

void AppState::removeFromCollector(const NodeRef& node) {
    assertGuiThread();
    if (!node || !collectedIDs_.count(node.get())) return;
    std::vector<NodeRef> next;
    next.reserve(collector_.size());
    for (const NodeRef& item : collector_)
        if (item != node) next.push_back(item);
    syncCollector(std::move(next));
}

const std::vector<Remnant>& AppState::leftovers(const FileNode* node) const {
    static const std::vector<Remnant> none;
    if (!node || collectorLeftovers_.empty()) return none;
    const auto it = collectorLeftovers_.find(retainNode(const_cast<FileNode*>(node)));
    return it == collectorLeftovers_.end() ? none : it->second;
}

std::int64_t AppState::sizeWithLeftovers(const FileNode& node) const {
    std::int64_t size = node.size();
    for (const Remnant& remnant : leftovers(&node)) size += remnant.size;
    return size;
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

void AppState::offerLeftovers(const std::vector<NodeRef>& added) {
    if (!offerLeftoversSetting()) return;
    Operation op(*this);
    for (const NodeRef& node : added) {
        if (!isAppBundleNode(*node) || offeredApps_.count(node)) continue;
        offeredApps_.insert(node);
        leftoverOffers_.push_back(node);
        touch(Field::leftoverOffers);
    }
}

void AppState::respondToLeftoverOffer(bool accept) {
    assertGuiThread();
    if (leftoverOffers_.empty()) return;
    Operation op(*this);
    const NodeRef app = leftoverOffers_.front();
    leftoverOffers_.erase(leftoverOffers_.begin());
    touch(Field::leftoverOffers);
    if (!accept || !root_ || !isInsideTree(app.get()) || !collectedIDs_.count(app.get())) return;
    const std::optional<AppBundleInfo> bundle = environment_.trash.readBundle(app->url());
    if (!bundle) return;
    std::shared_ptr<UninstallSession> session = makeUninstallSession(*bundle, UninstallSession::Mode::collector);
    // The callback holds the state weakly. A rescan may have put a new node in the
    // app's place meanwhile: then the collected node at the app's path stands for it.
    QPointer<AppState> state(this);
    session->onCollect = [state, app, path = app->url()](const std::vector<Remnant>& remnants) {
        if (!state) return;
        NodeRef target = app;
        if (!state->isInsideTree(app.get())) target = state->nodeForURL(path);
        if (target) state->acceptLeftovers(remnants, target);
    };
    presentUninstallSession(std::move(session));
}

void AppState::acceptLeftovers(const std::vector<Remnant>& remnants, const NodeRef& app) {
    assertGuiThread();
    if (!root_ || !app || !isInsideTree(app.get()) || !collectedIDs_.count(app.get())) return;
    Operation op(*this);
    const std::string rootPath = normalizedPath(root_->url());
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
    auto leftovers = collectorLeftovers_;
    if (outside.empty())
        leftovers.erase(app);
    else
        leftovers[app] = std::move(outside);
    assign(collectorLeftovers_, std::move(leftovers), Field::collectorLeftovers);
    addToCollector(inTree);
    ++collectorVersion_;
    touch(Field::collectorVersion);
}

} // namespace plenwick
