#pragma once
// The collector: the items the user gathers for the Trash, in the order they were
// added, with the set of their identities, a version that counts every change, the
// leftovers chosen outside the scan for collected apps, the queue of apps waiting
// for the leftover offer, the apps offered since the last reset, and whether a move
// of the items to the Trash is under way.
//
// No collected item lies inside another, none is collected twice, and the leftovers
// and offers belong to collected items only. Items enter strictly inside the tree;
// the caller checks that against the root.

#include "app/StateChanges.h"
#include "scanner/FileNode.h"
#include "uninstaller/Remnant.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace plenwick {

class NodeMapping;

using NodeSet = std::unordered_set<NodeRef>;
using CollectorLeftovers = std::unordered_map<NodeRef, std::vector<Remnant>>;

// A node's size with the leftovers recorded for it.
std::int64_t sizeWithLeftovers(const FileNode& node, const CollectorLeftovers& leftovers);

class Collector {
public:
    explicit Collector(StateChanges& changes) noexcept : changes_(changes) {}
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

    const std::vector<NodeRef>& items() const noexcept { return items_; }
    std::int64_t version() const noexcept { return version_; }
    const CollectorLeftovers& leftovers() const noexcept { return leftovers_; }
    const std::vector<NodeRef>& offers() const noexcept { return offers_; }
    const NodeSet& offeredApps() const noexcept { return offeredApps_; }
    bool isTrashing() const noexcept { return trashing_; }

    bool isCollected(const FileNode* node) const { return ids_.count(node) > 0; }
    // Whether the node or one of its ancestors is collected.
    bool isCollectedOrInside(const FileNode* node) const;
    const std::vector<Remnant>& leftoversOf(const FileNode* node) const;
    std::int64_t sizeWithLeftovers(const FileNode& node) const { return plenwick::sizeWithLeftovers(node, leftovers_); }

    // The only way to change the items: nothing happens for the same nodes in the
    // same order; otherwise the leftovers and offers of items that left go with them
    // and the version counts one.
    void sync(std::vector<NodeRef> nodes);
    // Adds the `candidates` that are neither collected, nor below a collected item or
    // another candidate, each once; collected items below an added one leave. Returns
    // what was added, in the given order.
    std::vector<NodeRef> add(const std::vector<NodeRef>& candidates);
    void remove(const NodeRef& node);
    // Queues the offer for each app among `added` that was not offered since the last
    // reset.
    void queueOffers(const std::vector<NodeRef>& added);
    // Takes the first offer off the queue; none when the queue is empty.
    NodeRef takeFirstOffer();
    // The leftovers outside the tree chosen for `app` replace its earlier ones; none
    // removes its entry.
    void setLeftovers(const NodeRef& app, std::vector<Remnant> outside);
    // Counts a change that readers of the version must see.
    void countChange();
    void setTrashing(bool trashing);
    // After an edit of the tree: items, their leftovers, the offers and the offered
    // apps move to their counterparts or go.
    void remap(const NodeMapping& mapping);

private:
    StateChanges& changes_;
    std::vector<NodeRef> items_;
    std::int64_t version_ = 0;
    CollectorLeftovers leftovers_;
    std::vector<NodeRef> offers_;
    bool trashing_ = false;
    std::unordered_set<const FileNode*> ids_; // mirrors `items_`, which keeps them alive
    NodeSet offeredApps_;
};

} // namespace plenwick
