#include "outline/OutlineWalks.h"

#include "outline/CanonicalNames.h"
#include "scanner/FileTreeLock.h"

#include <algorithm>
#include <utility>

namespace plenwick {

namespace {

// The walk's stack of nodes still to visit. Within a batch the tree cannot change,
// so entries pushed in the batch are plain pointers (their parents hold them). At the
// end of each batch every entry takes a reference of its own, since a tree edit may
// detach it before the next; such a reference, once popped, goes to `retired`.
class WalkStack {
public:
    WalkStack(const NodeRef& root, std::vector<NodeRef>& retired) : retired_(retired) {
        items_.push_back(root.get());
        root->retain();
        owned_ = 1;
    }
    ~WalkStack() {
        // Entries left over when the walk stops early: only the owned ones need
        // releasing, and they go where the GUI thread releases them.
        for (std::size_t i = 0; i < owned_; ++i) retired_.push_back(NodeRef(items_[i]));
    }
    WalkStack(const WalkStack&) = delete;
    WalkStack& operator=(const WalkStack&) = delete;

    bool empty() const noexcept { return items_.empty(); }
    void pushChildren(const FileNode& node) {
        for (const NodeRef& child : node.children()) items_.push_back(child.get());
    }
    FileNode* pop() {
        FileNode* node = items_.back();
        items_.pop_back();
        if (items_.size() < owned_) {
            owned_ = items_.size();
            retired_.push_back(NodeRef(node));
        }
        return node;
    }
    // Called at the end of a batch, still under the read lock.
    void holdAll() {
        for (std::size_t i = owned_; i < items_.size(); ++i) items_[i]->retain();
        owned_ = items_.size();
    }

private:
    std::vector<FileNode*> items_;
    std::size_t owned_ = 0;  // entries [0, owned_) hold a reference
    std::vector<NodeRef>& retired_;
};

// At most `limit` nodes, the largest seen, as a min-heap on size.
class BoundedHeap {
public:
    BoundedHeap(int limit, std::vector<NodeRef>& retired)
        : limit_(static_cast<std::size_t>(std::max(limit, 0))), retired_(retired) {
        nodes_.reserve(std::min<std::size_t>(limit_, 4096));
    }
    bool isFull() const noexcept { return nodes_.size() >= limit_; }
    // Whether a full heap would take nothing of this size or smaller.
    bool rejects(std::int64_t size) const noexcept {
        return isFull() && (limit_ == 0 || size <= nodes_.front()->size());
    }
    void offer(FileNode* node) {
        if (limit_ == 0) return;
        if (nodes_.size() < limit_) {
            nodes_.push_back(retainNode(node));
            std::size_t i = nodes_.size() - 1;
            while (i > 0) {
                const std::size_t parent = (i - 1) / 2;
                if (!(nodes_[i]->size() < nodes_[parent]->size())) break;
                std::swap(nodes_[i], nodes_[parent]);
                i = parent;
            }
            return;
        }
        // Equal sizes never displace: among them the first one visited stays.
        if (node->size() <= nodes_.front()->size()) return;
        retired_.push_back(std::exchange(nodes_.front(), retainNode(node)));
        nodeHeapSiftDown(0, nodes_);
    }
    std::vector<NodeRef> take() { return std::move(nodes_); }

private:
    std::size_t limit_;
    std::vector<NodeRef> nodes_;
    std::vector<NodeRef>& retired_;
};

// Runs `visit` on every popped node, batch by batch under the read lock, until the
// stack is empty or `stop` is requested (tested before each batch).
template <class Visit>
void walkInBatches(WalkStack& stack, const std::stop_token& stop, Visit visit) {
    while (!stack.empty() && !stop.stop_requested()) {
        FileTreeLock::ReadGuard lock;
        for (std::size_t budget = kOutlineWalkBatch; budget > 0 && !stack.empty(); --budget) visit(*stack.pop());
        stack.holdAll();
    }
}

std::vector<NodeRef> finalOrder(BoundedHeap& heap) {
    FileTreeLock::ReadGuard lock;
    std::vector<NodeRef> nodes = heap.take();
    sortBySizeThenName(nodes);
    return nodes;
}

} // namespace

void nodeHeapSiftDown(std::size_t start, std::vector<NodeRef>& heap) {
    std::size_t i = start;
    const std::size_t count = heap.size();
    while (true) {
        std::size_t smallest = i;
        const std::size_t left = 2 * i + 1, right = 2 * i + 2;
        if (left < count && heap[left]->size() < heap[smallest]->size()) smallest = left;
        if (right < count && heap[right]->size() < heap[smallest]->size()) smallest = right;
        if (smallest == i) return;
        std::swap(heap[i], heap[smallest]);
        i = smallest;
    }
}

void sortBySizeThenName(std::vector<NodeRef>& nodes) {
    // Names are compared in canonical composition, each made once; UTF-8 byte order
    // is the order of the code points.
    struct Keyed {
        std::int64_t size;
        std::string name;
        NodeRef node;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(nodes.size());
    for (NodeRef& node : nodes) {
        const std::int64_t size = node->size();
        std::string name = canonicalName(node->name());
        keyed.push_back({size, std::move(name), std::move(node)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.size != b.size) return a.size > b.size;
        return a.name < b.name;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) nodes[i] = std::move(keyed[i].node);
}

OutlineWalkResult largestFiles(const NodeRef& root, int limit, std::stop_token stop) {
    OutlineWalkResult result;
    if (!root || limit <= 0) return result;
    BoundedHeap heap(limit, result.retired);
    {
        WalkStack stack(root, result.retired);
        walkInBatches(stack, stop, [&](FileNode& node) {
            if (&node == root.get() && node.isContainer()) {
                stack.pushChildren(node);
                return;
            }
            // A folder's size is the total of its contents: nothing inside can be larger.
            if (heap.rejects(node.size())) return;
            switch (node.kind()) {
            case FileNode::Kind::directory: stack.pushChildren(node); break;
            case FileNode::Kind::inaccessible: break;
            default: heap.offer(&node); break;
            }
        });
    }
    result.nodes = finalOrder(heap);
    return result;
}

OutlineSearchResult searchNodesByName(std::string_view query, const NodeRef& root, int cap,
                                      const TextFolding* folding, std::stop_token stop) {
    OutlineSearchResult result;
    const OutlineNameMatcher matcher(query, folding);
    if (!root || matcher.query().empty()) return result;
    BoundedHeap heap(cap, result.retired);
    {
        WalkStack stack(root, result.retired);
        walkInBatches(stack, stop, [&](FileNode& node) {
            if (&node != root.get() && matcher.matches(node.name())) {
                ++result.totalMatches;
                heap.offer(&node);
            }
            stack.pushChildren(node);
        });
    }
    result.nodes = finalOrder(heap);
    return result;
}

} // namespace plenwick
