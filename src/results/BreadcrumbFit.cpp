#include "results/BreadcrumbFit.h"

#include <algorithm>
#include <numeric>

namespace plenwick {

namespace {

// The widths of `crumbs` (all but the last may shrink) when they must fit in `room`:
// a common cap over the shrinkable ones, no lower than `least` (nor than a crumb's
// own want). Returns false when even the least widths do not fit.
bool capWidths(std::vector<int>& widths, int room, int least) {
    if (widths.empty()) return true;
    const std::size_t shrinkable = widths.size() - 1;
    auto total = [&widths] { return std::accumulate(widths.begin(), widths.end(), 0); };
    if (total() <= room) return true;
    int atLeast = widths.back();
    for (std::size_t i = 0; i < shrinkable; ++i) atLeast += std::min(widths[i], least);
    if (atLeast > room) return false;
    // The largest cap at which everything fits, found by bisection over whole pixels.
    int low = least, high = *std::max_element(widths.begin(), widths.begin() + static_cast<long>(shrinkable));
    const std::vector<int> wanted = widths;
    auto sumAt = [&](int cap) {
        int sum = wanted.back();
        for (std::size_t i = 0; i < shrinkable; ++i) sum += std::min(wanted[i], cap);
        return sum;
    };
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (sumAt(mid) <= room) low = mid;
        else high = mid - 1;
    }
    for (std::size_t i = 0; i < shrinkable; ++i) widths[i] = std::min(wanted[i], low);
    return true;
}

} // namespace

BreadcrumbFit fitBreadcrumbs(const std::vector<int>& wanted, int available, const BreadcrumbSpacing& spacing) {
    BreadcrumbFit fit;
    fit.widths = wanted;
    const std::size_t count = wanted.size();
    if (count == 0) return fit;
    const int separators = static_cast<int>(count - 1) * spacing.separator;
    if (capWidths(fit.widths, available - separators, spacing.least)) return fit;

    // Fold the crumbs after the root, outermost first, until the rest fits at their
    // least widths; the root and the folder on view always stay.
    for (std::size_t folded = 1; folded + 1 < count; ++folded) {
        const std::size_t from = 1, to = 1 + folded;
        std::vector<int> kept;
        kept.push_back(wanted[0]);
        kept.insert(kept.end(), wanted.begin() + static_cast<long>(to), wanted.end());
        const int room = available - spacing.ellipsis - static_cast<int>(kept.size() - 1) * spacing.separator;
        // The last of `kept` is the focus and keeps its width; the rest may shrink.
        if (!capWidths(kept, room, spacing.least)) continue;
        fit.widths.assign(count, 0);
        fit.widths[0] = kept[0];
        for (std::size_t i = to; i < count; ++i) fit.widths[i] = kept[1 + i - to];
        fit.foldedFrom = from;
        fit.foldedTo = to;
        return fit;
    }
    // Only the root and the focus are left (or fewer crumbs): the focus stays whole,
    // the root shrinks to what is left, down to nothing.
    if (count >= 2) {
        const int focus = wanted.back();
        const bool fold = count > 2;
        const int room = available - focus - spacing.separator - (fold ? spacing.ellipsis : 0);
        fit.widths.assign(count, 0);
        fit.widths.back() = focus;
        fit.widths[0] = std::clamp(room, 0, wanted[0]);
        if (fold) {
            fit.foldedFrom = 1;
            fit.foldedTo = count - 1;
        }
    }
    return fit;
}

} // namespace plenwick
