#include "outline/OutlineSort.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace plenwick {

namespace {

// Lists up to this long are sorted with text comparisons; longer ones rank their
// names once and compare ranks.
constexpr std::size_t kDirectSortLimit = 48;

struct SortFields {
    std::int64_t size;
    std::int64_t items;
    double modified;
};

SortFields fieldsOf(const FileNode& node) noexcept {
    const double modified = node.modified();
    // NaN compares unordered with everything, which breaks the ordering's rules.
    return {node.size(), node.fileCount(), std::isnan(modified) ? 0.0 : modified};
}

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
    if (nodes.size() <= kDirectSortLimit) {
        std::stable_sort(nodes.begin(), nodes.end(),
                         [&](const NodeRef& a, const NodeRef& b) { return areInIncreasingOrder(*a, *b, names); });
        return;
    }
    std::vector<std::string_view> nameViews;
    nameViews.reserve(nodes.size());
    for (const NodeRef& node : nodes) nameViews.push_back(node->name());
    const std::vector<std::uint32_t> rank = names.ranks(nameViews);

    struct Entry {
        SortFields fields;
        std::uint32_t rank;
        std::uint32_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
        entries.push_back({fieldsOf(*nodes[i]), rank[i], static_cast<std::uint32_t>(i)});
    std::stable_sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        return inOrder(*this, a.fields, b.fields, [&] { return threeWay(a.rank, b.rank); });
    });
    std::vector<NodeRef> sorted;
    sorted.reserve(nodes.size());
    for (const Entry& e : entries) sorted.push_back(std::move(nodes[e.index]));
    nodes = std::move(sorted);
}

OutlineSort OutlineSort::fromSortDescriptor(const std::optional<OutlineSortDescriptor>& descriptor) {
    if (!descriptor) return {};
    const std::string_view raw = descriptor->key == "share" ? std::string_view("size") : descriptor->key;
    const std::optional<OutlineSortKey> key = outlineSortKeyFromRaw(raw);
    if (!key) return {};
    return {*key, descriptor->ascending};
}

} // namespace plenwick
