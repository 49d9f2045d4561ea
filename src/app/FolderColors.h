#pragma once
// The by-folder colours: each child of the anchor (the focus, or the last of a chain
// of single folders below it) owns a hue that its whole subtree shares. Built once per
// focus and tree version and kept until either changes.

#include "scanner/Color.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace plenwick {

// The children of a node by their index, in an open-addressed table: built in one
// pass with no allocation per child, as an anchor may hold 150,000 of them.
class ChildSlots {
public:
    void assign(std::span<const NodeRef> children);
    std::size_t size() const noexcept { return count_; }
    // The child's index, or -1.
    int find(const FileNode* child) const noexcept;

private:
    std::size_t home(const FileNode* child) const noexcept;

    std::vector<std::pair<const FileNode*, int>> table_;  // null: a free place
    std::size_t count_ = 0;
};

struct FolderColoring {
    NodeRef focus;
    std::int64_t version = 0;
    NodeRef anchor;         // whose children own the hues
    ChildSlots childSlots;  // child of the anchor → its index
};

class FolderColors {
public:
    // The colouring for `base` (the focus, or the root without one) at `version`.
    const FolderColoring* coloring(const NodeRef& base, std::int64_t version) const;
    // The node's colour under the colouring for `base`; `focus` is the state's own
    // (the chain of single folders down from it shares the first hue).
    RGB color(const FileNode& node, const NodeRef& base, const FileNode* focus, std::int64_t version) const;
    const std::optional<FolderColoring>& cached() const noexcept { return cache_; }
    void reset() noexcept { cache_.reset(); }

private:
    mutable std::optional<FolderColoring> cache_;
};

} // namespace plenwick
