#include "app/Collector.h"

#include "app/NodeMapping.h"
#include "app/PathRelations.h"

namespace plenwick {

std::int64_t sizeWithLeftovers(const FileNode& node, const CollectorLeftovers& leftovers) {
    std::int64_t size = node.size();
    if (leftovers.empty()) return size;
    const auto it = leftovers.find(retainNode(const_cast<FileNode*>(&node)));
    if (it != leftovers.end())
        for (const Remnant& remnant : it->second) size += remnant.size;
    return size;
}

bool Collector::isCollectedOrInside(const FileNode* node) const {
    if (items_.empty()) return false;
    for (const FileNode* n = node; n; n = n->parent())
        if (isCollected(n)) return true;
    return false;
}

const std::vector<Remnant>& Collector::leftoversOf(const FileNode* node) const {
    static const std::vector<Remnant> none;
    if (!node || leftovers_.empty()) return none;
    const auto it = leftovers_.find(retainNode(const_cast<FileNode*>(node)));
    return it == leftovers_.end() ? none : it->second;
}

void Collector::sync(std::vector<NodeRef> nodes) {
    if (nodes == items_) return;
    changes_.assign(items_, std::move(nodes), StateField::collector);
    ids_.clear();
    for (const NodeRef& node : items_) ids_.insert(node.get());
    if (!leftovers_.empty()) {
        auto kept = leftovers_;
        std::erase_if(kept, [this](const auto& item) { return !ids_.count(item.first.get()); });
        changes_.assign(leftovers_, std::move(kept), StateField::collectorLeftovers);
    }
    if (!offers_.empty()) {
        std::erase_if(offers_, [this](const NodeRef& node) { return !ids_.count(node.get()); });
        changes_.touch(StateField::leftoverOffers);
    }
    countChange();
}

std::vector<NodeRef> Collector::add(const std::vector<NodeRef>& candidates) {
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
        if (addedIDs.count(node.get()) || ids_.count(node.get())) continue;
        if (hasAncestorIn(node.get(), ids_) || hasAncestorIn(node.get(), candidateIDs)) continue;
        addedIDs.insert(node.get());
        added.push_back(node);
    }
    if (added.empty()) return added;

    std::vector<NodeRef> next;
    for (const NodeRef& item : items_)
        if (!hasAncestorIn(item.get(), addedIDs)) next.push_back(item);
    next.insert(next.end(), added.begin(), added.end());
    sync(std::move(next));
    return added;
}

void Collector::remove(const NodeRef& node) {
    if (!node || !isCollected(node.get())) return;
    std::vector<NodeRef> next;
    next.reserve(items_.size());
    for (const NodeRef& item : items_)
        if (item != node) next.push_back(item);
    sync(std::move(next));
}

void Collector::queueOffers(const std::vector<NodeRef>& added) {
    for (const NodeRef& node : added) {
        if (!isAppBundleNode(*node) || offeredApps_.count(node)) continue;
        offeredApps_.insert(node);
        offers_.push_back(node);
        changes_.touch(StateField::leftoverOffers);
    }
}

NodeRef Collector::takeFirstOffer() {
    if (offers_.empty()) return {};
    NodeRef first = std::move(offers_.front());
    offers_.erase(offers_.begin());
    changes_.touch(StateField::leftoverOffers);
    return first;
}

void Collector::setLeftovers(const NodeRef& app, std::vector<Remnant> outside) {
    auto leftovers = leftovers_;
    if (outside.empty())
        leftovers.erase(app);
    else
        leftovers[app] = std::move(outside);
    changes_.assign(leftovers_, std::move(leftovers), StateField::collectorLeftovers);
}

void Collector::countChange() {
    ++version_;
    changes_.touch(StateField::collectorVersion);
}

void Collector::setTrashing(bool trashing) { changes_.assign(trashing_, trashing, StateField::collectorTrashing); }

void Collector::remap(const NodeMapping& mapping) {
    std::unordered_map<NodeRef, NodeRef> moved; // old item → its counterpart
    std::vector<NodeRef> kept;
    for (const NodeRef& item : items_) {
        NodeRef mapped = mapping.counterpart(item);
        if (!mapped) continue;
        if (mapped != item) moved.emplace(item, mapped);
        kept.push_back(std::move(mapped));
    }
    if (!moved.empty()) {
        auto leftovers = leftovers_;
        for (const auto& [from, to] : moved) {
            auto entry = leftovers.extract(from);
            if (!entry.empty()) leftovers.emplace(to, std::move(entry.mapped()));
        }
        changes_.assign(leftovers_, std::move(leftovers), StateField::collectorLeftovers);
        bool offersMoved = false;
        for (NodeRef& offer : offers_)
            if (const auto it = moved.find(offer); it != moved.end()) {
                offer = it->second;
                offersMoved = true;
            }
        if (offersMoved) changes_.touch(StateField::leftoverOffers);
    }
    NodeSet offered;
    for (const NodeRef& app : offeredApps_)
        if (NodeRef mapped = mapping.counterpart(app)) offered.insert(std::move(mapped));
    offeredApps_ = std::move(offered);
    sync(std::move(kept));
}

} // namespace plenwick
