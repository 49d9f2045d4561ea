#include "outline/OutlineSort.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace plenwick {

namespace {

// Lists up to this long are sorted with text comparisons; longer ones rank their
// names once and compare ranks.
constexpr std::size_t kDirectSortLimit = 48;

using SortFields = OutlineSortFields;

SortFields fieldsOf(const FileNode& node) noexcept { return OutlineSortFields::of(node); }

template <class T>
int threeWay(T a, T b) noexcept {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The comparator over the fields; `names()` compares the two names when asked.
template <class NameCompare>
bool inOrder(const OutlineSort& sort, const SortFields& a, const SortFields& b, NameCompare names) {
    int primary = 0;
    switch (sort.key) {
    case OutlineSortKey::size: primary = threeWay(a.size, b.size); break;
    case OutlineSortKey::items: primary = threeWay(a.items, b.items); break;
    case OutlineSortKey::modified: primary = threeWay(a.modified, b.modified); break;
    case OutlineSortKey::name: primary = names(); break;
    }
    if (primary < 0) return sort.ascending;
    if (primary > 0) return !sort.ascending;
    if (sort.key != OutlineSortKey::size) {
        if (a.size != b.size) return a.size > b.size;
        if (sort.key == OutlineSortKey::name) return false;
    }
    return names() < 0;
}

} // namespace

OutlineSortFields OutlineSortFields::of(const FileNode& node) noexcept {
    const double modified = node.modified();
    // NaN compares unordered with everything, which breaks the ordering's rules.
    return {node.size(), node.fileCount(), std::isnan(modified) ? 0.0 : modified};
}

std::string_view rawValue(OutlineSortKey key) noexcept {
    switch (key) {
    case OutlineSortKey::size: return "size";
    case OutlineSortKey::name: return "name";
    case OutlineSortKey::items: return "items";
    case OutlineSortKey::modified: return "modified";
    }
    return "";
}

std::optional<OutlineSortKey> outlineSortKeyFromRaw(std::string_view raw) noexcept {
    for (OutlineSortKey key : allOutlineSortKeys)
        if (rawValue(key) == raw) return key;
    return std::nullopt;
}

bool OutlineSort::areInIncreasingOrder(const FileNode& a, const FileNode& b, const NameCollation& names) const {
    return inOrder(*this, fieldsOf(a), fieldsOf(b), [&] { return names.compare(a.name(), b.name()); });
}

std::vector<NodeRef> OutlineSort::sortedChildren(const FileNode& node, const NameCollation& names) const {
    const auto children = node.children();
    std::vector<NodeRef> out(children.begin(), children.end());
    if (key == OutlineSortKey::size) {
        if (ascending) std::reverse(out.begin(), out.end());
        return out;
    }
    sort(out, names);
    return out;
}

void OutlineSort::sort(std::vector<NodeRef>& nodes, const NameCollation& names) const {
    if (nodes.size() < 2) return;
    std::vector<SortFields> fields;
    std::vector<std::string_view> nameViews;
    fields.reserve(nodes.size());
    nameViews.reserve(nodes.size());
    for (const NodeRef& node : nodes) {
        fields.push_back(fieldsOf(*node));
        nameViews.push_back(node->name());
    }
    const std::vector<std::uint32_t> positions = order(fields, nameViews, names);
    std::vector<NodeRef> sorted;
    sorted.reserve(nodes.size());
    for (std::uint32_t i : positions) sorted.push_back(std::move(nodes[i]));
    nodes = std::move(sorted);
}

std::vector<std::uint32_t> OutlineSort::order(std::span<const OutlineSortFields> fields,
                                              std::span<const std::string_view> names,
                                              const NameCollation& collation) const {
    std::vector<std::uint32_t> positions(fields.size());
    std::iota(positions.begin(), positions.end(), 0u);
    if (fields.size() < 2) return positions;
    if (fields.size() <= kDirectSortLimit) {
        std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
            return inOrder(*this, fields[a], fields[b], [&] { return collation.compare(names[a], names[b]); });
        });
        return positions;
    }
    const std::vector<std::uint32_t> rank = collation.ranks(names);
    struct Entry {
        SortFields fields;
        std::uint32_t rank;
        std::uint32_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) entries.push_back({fields[i], rank[i], static_cast<std::uint32_t>(i)});
    std::stable_sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        return inOrder(*this, a.fields, b.fields, [&] { return threeWay(a.rank, b.rank); });
    });
    for (std::size_t i = 0; i < entries.size(); ++i) positions[i] = entries[i].index;
    return positions;
}

OutlineSort OutlineSort::fromSortDescriptor(const std::optional<OutlineSortDescriptor>& descriptor) {
    if (!descriptor) return {};
    const std::string_view raw = descriptor->key == "share" ? std::string_view("size") : descriptor->key;
    const std::optional<OutlineSortKey> key = outlineSortKeyFromRaw(raw);
    if (!key) return {};
    return {*key, descriptor->ascending};
}

} // namespace plenwick
