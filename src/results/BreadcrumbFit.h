#pragma once
// How the crumbs of a path share a bar too narrow for all of them. The last crumb,
// the folder on view, always keeps its whole width. The others give up width first:
// the widest are shortened (their names elided in the middle) toward a common limit,
// none below a least width; when even that does not fit, the crumbs after the first
// are folded, from the outermost on, into one ellipsis crumb.

#include <cstddef>
#include <vector>

namespace plenwick {

struct BreadcrumbSpacing {
    int separator = 0;  // the width one separator (and the gaps beside it) takes
    int ellipsis = 0;   // the width of the ellipsis crumb with its separator
    int least = 0;      // no shortened crumb is narrower than this
};

struct BreadcrumbFit {
    // The width each crumb is given (0 for a folded one); a crumb given less than it
    // wants is shortened.
    std::vector<int> widths;
    // Crumbs [foldedFrom, foldedTo) are folded into the ellipsis crumb; equal when none.
    std::size_t foldedFrom = 0, foldedTo = 0;

    bool folds() const noexcept { return foldedTo > foldedFrom; }
};

// Fits crumbs that want `wanted` widths (root first) into `available`.
BreadcrumbFit fitBreadcrumbs(const std::vector<int>& wanted, int available, const BreadcrumbSpacing& spacing);

} // namespace plenwick
