#include "outline/NameCollation.h"

#include <algorithm>
#include <numeric>

namespace plenwick {

std::vector<std::uint32_t> NameCollation::ranks(std::span<const std::string_view> names) const {
    std::vector<std::uint32_t> sorted(names.size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(),
              [&](std::uint32_t a, std::uint32_t b) { return compare(names[a], names[b]) < 0; });
    return ranksOfSorted(sorted, [&](std::uint32_t a, std::uint32_t b) { return compare(names[a], names[b]) == 0; });
}

std::vector<std::uint32_t> ranksOfSorted(std::span<const std::uint32_t> sorted,
                                         const std::function<bool(std::uint32_t, std::uint32_t)>& equal) {
    std::vector<std::uint32_t> rank(sorted.size());
    std::uint32_t current = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && !equal(sorted[i - 1], sorted[i])) ++current;
        rank[sorted[i]] = current;
    }
    return rank;
}

} // namespace plenwick
