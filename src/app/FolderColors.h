#pragma once
// The by-folder colours: each child of the anchor (the focus, or the last of a chain
// of single folders below it) owns a hue that its whole subtree shares. Built once per
// focus and tree version and kept until either changes.

#include "scanner/Color.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace plenwick {

struct FolderColoring {
    NodeRef focus;
    std::int64_t version = 0;
    NodeRef anchor;                                       // whose children own the hues
    std::unordered_map<const FileNode*, int> childSlots;  // child of the anchor → its index
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
