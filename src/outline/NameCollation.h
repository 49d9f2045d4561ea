#pragma once
// The order of names in the outline's name column: the file browser's order, which
// depends on the user's language. The sorting code stays free of any text library by
// asking this interface; the program supplies the locale's collation
// (LocaleNameCollation.h), tests may supply their own.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace plenwick {

class NameCollation {
public:
    virtual ~NameCollation() = default;
    // Negative, zero or positive as the name `a` (raw bytes) sorts before, with or
    // after `b`.
    virtual int compare(std::string_view a, std::string_view b) const = 0;
    // The rank of each name in this order: equal names share a rank, and a smaller
    // rank sorts first. Lets a long list be ordered with one key per name instead of
    // a text comparison per step. The default ranks through `compare`.
    virtual std::vector<std::uint32_t> ranks(std::span<const std::string_view> names) const;
};

// Ranks from an order already found: `sorted` lists the indices of the names in
// order, and `equal` tells whether two of them (by index) are equal.
std::vector<std::uint32_t> ranksOfSorted(std::span<const std::uint32_t> sorted,
                                         const std::function<bool(std::uint32_t, std::uint32_t)>& equal);

} // namespace plenwick
