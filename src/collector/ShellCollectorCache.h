#pragma once
// A view's memo of what the collector would free (the collected nodes plus the
// leftovers recorded outside the scan) and of the collected nodes largest first,
// computed again only when the collector's or the tree's version moves. The total is
// the known bytes: items whose size is unknown are counted apart, and the bytes that
// stay on disk under other names are left out (and kept per item, for their rows).

#include "collector/CollectorFigure.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace plenwick {

class AppState;

class ShellCollectorCache {
public:
    struct Key {
        std::int64_t collector = 0;
        std::int64_t tree = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // Brings `cachedTotal` up to date for `state`.
    void refresh(const AppState& state);
    // The collected nodes, largest first; equal sizes keep their collector order.
    const std::vector<NodeRef>& largestFirst(const AppState& state);

    std::int64_t cachedTotal() const noexcept { return cachedTotal_; }
    // The total with the number of items whose size is unknown.
    CollectorFigure cachedFigure() const noexcept { return {cachedTotal_, cachedUnknownItems_}; }
    // The bytes counted in a collected item that stay under other names, as of `key`.
    std::int64_t keptBytes(const FileNode* node) const;
    const std::optional<Key>& key() const noexcept { return key_; }

private:
    std::optional<Key> key_;
    std::int64_t cachedTotal_ = 0;
    std::int64_t cachedUnknownItems_ = 0;
    CollectorKeptBytes kept_;
    std::optional<std::vector<NodeRef>> cachedLargestFirst_;
};

} // namespace plenwick
