#include "app/TreeEdits.h"

#include <string_view>
#include <vector>

namespace plenwick {

namespace {

void addToAncestors(FileNode* from, std::int64_t size, std::int64_t logical, std::int64_t files) {
    for (FileNode* n = from; n; n = n->parent()) {
        n->setSize(n->size() + size);
        n->setLogicalSize(n->logicalSize() + logical);
        n->setFileCount(n->fileCount() + files);
    }
}

// Swaps the children at `i` and `i + 1` of `parent`; both keep it as their parent.
void swapAdjacent(FileNode& parent, std::size_t i) {
    const NodeRef a = parent.children()[i];
    const NodeRef b = parent.children()[i + 1];
    parent.replaceChildAt(i, b);
    parent.replaceChildAt(i + 1, a);
    a->setParent(&parent);
    b->setParent(&parent);
}

void restoreOrderAmongSiblings(FileNode& node) {
    FileNode* parent = node.parent();
    if (!parent) return;
    const std::ptrdiff_t found = parent->indexOfChild(&node);
    if (found < 0) return;
    auto i = static_cast<std::size_t>(found);
    const std::size_t count = parent->childCount();
    while (i + 1 < count && parent->children()[i + 1]->size() > node.size()) {
        swapAdjacent(*parent, i);
        ++i;
    }
    while (i > 0 && parent->children()[i - 1]->size() < node.size()) {
        swapAdjacent(*parent, i - 1);
        --i;
    }
}

} // namespace

void restoreSizeOrderUpwards(FileNode* node) {
    for (FileNode* n = node; n && n->parent(); n = n->parent()) restoreOrderAmongSiblings(*n);
}

FileNode* detachNode(FileNode& node) {
    FileNode* parent = node.parent();
    if (!parent) return nullptr;
    const NodeRef keep = retainNode(&node); // the parent's reference may be the last
    for (std::ptrdiff_t i = parent->indexOfChild(&node); i >= 0; i = parent->indexOfChild(&node))
        parent->removeChildAt(static_cast<std::size_t>(i));
    node.setParent(nullptr);
    addToAncestors(parent, -node.size(), -node.logicalSize(), -node.fileCount());
    restoreSizeOrderUpwards(parent);
    return parent;
}

void growNode(FileNode& node, std::int64_t size, std::int64_t logical) {
    addToAncestors(&node, size, logical, 0);
    restoreSizeOrderUpwards(&node);
}

bool replaceNode(FileNode& old, const NodeRef& replacement) {
    FileNode* parent = old.parent();
    if (!parent || !replacement) return false;
    const std::ptrdiff_t index = parent->indexOfChild(&old);
    if (index < 0) return false;
    const NodeRef keep = retainNode(&old);
    parent->replaceChildAt(static_cast<std::size_t>(index), replacement);
    old.setParent(nullptr);
    addToAncestors(parent, replacement->size() - old.size(), replacement->logicalSize() - old.logicalSize(),
                   replacement->fileCount() - old.fileCount());
    restoreSizeOrderUpwards(replacement.get());
    return true;
}

MappedNode mapIntoReplacement(const NodeRef& node, const FileNode* old, const NodeRef& replacement) {
    if (!node || !isWithin(node.get(), old)) return {node, true};
    if (node.get() == old) return {replacement, true};
    std::vector<std::string_view> names; // innermost first
    for (const FileNode* n = node.get(); n != old; n = n->parent()) names.push_back(n->name());
    FileNode* reached = replacement.get();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        FileNode* next = nullptr;
        for (const NodeRef& child : reached->children())
            if (child->name() == *it) {
                next = child.get();
                break;
            }
        if (!next) return {retainNode(reached), false};
        reached = next;
    }
    return {retainNode(reached), true};
}

} // namespace plenwick
