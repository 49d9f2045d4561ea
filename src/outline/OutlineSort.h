#pragma once
// The outline's orderings: by size, name, item count or modification date, in either
// direction, with fixed tie-breaks (larger first, then names A to Z), and the child
// lists of a folder in such an order.

#include "outline/NameCollation.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// What an ordering reads of a node besides its name, copied so that a list can be
// ordered away from the tree. A date that is not a number counts as 0.
struct OutlineSortFields {
    std::int64_t size = 0;
    std::int64_t items = 0;
    double modified = 0;
    static OutlineSortFields of(const FileNode& node) noexcept;
};

enum class OutlineSortKey { size, name, items, modified };
inline constexpr OutlineSortKey allOutlineSortKeys[] = {OutlineSortKey::size, OutlineSortKey::name,
                                                        OutlineSortKey::items, OutlineSortKey::modified};

// "size", "name", "items", "modified".
std::string_view rawValue(OutlineSortKey key) noexcept;
// The key of exactly one of the four raw values, else none.
std::optional<OutlineSortKey> outlineSortKeyFromRaw(std::string_view raw) noexcept;

// What a column header asks for: the column's sort key and a direction.
struct OutlineSortDescriptor {
    std::string key;
    bool ascending = true;
};

struct OutlineSort {
    OutlineSortKey key = OutlineSortKey::size;
    bool ascending = false;

    friend bool operator==(const OutlineSort&, const OutlineSort&) = default;

    // Size, descending: the order in which the tree stores children.
    bool isDefault() const noexcept { return key == OutlineSortKey::size && !ascending; }

    // Whether `a` goes before `b`. The direction applies to the key alone; ties go
    // to the larger node, then to the name that sorts first (for the name key, equal
    // names of equal size are unordered). A date that is not a number counts as 0.
    bool areInIncreasingOrder(const FileNode& a, const FileNode& b, const NameCollation& names) const;

    // The children of `node` in this order: the stored array for size descending, the
    // stored array reversed for size ascending (equal sizes then come in descending
    // name order), else a sorted copy.
    std::vector<NodeRef> sortedChildren(const FileNode& node, const NameCollation& names) const;

    // Sorts `nodes` in place, stably: nodes that neither precedes keep their order.
    void sort(std::vector<NodeRef>& nodes, const NameCollation& names) const;

    // The same stable order for a list given by what each entry holds (`fields[i]`
    // and `names[i]`, of equal length): the entries' positions, first to last. Reads
    // no node, so it may run on any thread with a collation of its own.
    std::vector<std::uint32_t> order(std::span<const OutlineSortFields> fields, std::span<const std::string_view> names,
                                     const NameCollation& collation) const;

    // The ordering a header asks for: no descriptor, or a key that is none of the
    // four raw values, gives size descending; "share" orders by size.
    static OutlineSort fromSortDescriptor(const std::optional<OutlineSortDescriptor>& descriptor);
};

} // namespace plenwick
