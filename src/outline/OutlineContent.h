#pragma once
// What the outline table shows: the whole tree from a root, or one flat list (the
// largest files of a folder, the matches of a name search, or an empty placeholder
// while neither has been computed).

#include "scanner/FileNode.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace plenwick {

// The sidebar's two modes, in the picker's order.
enum class OutlineMode { folders, largest };
inline constexpr OutlineMode allOutlineModes[] = {OutlineMode::folders, OutlineMode::largest};

struct OutlineFlatList {
    // What a list was computed from. Two sources are equal when they are the same
    // case with the same folder (by identity) or the same query text.
    struct Source {
        enum class Kind { placeholder, largest, search };
        Kind kind = Kind::placeholder;
        NodeRef folder;     // largest
        std::string query;  // search: the trimmed query
        static Source placeholder() { return {}; }
        static Source largest(NodeRef folder) { return {Kind::largest, std::move(folder), {}}; }
        static Source search(std::string query) { return {Kind::search, {}, std::move(query)}; }
        friend bool operator==(const Source&, const Source&) = default;
    };

    // The list model's count of applied lists when this one was applied; 0 for a
    // placeholder.
    std::int64_t generation = 0;
    Source source;
    // In the order of the walk (largest first) or of the table's sort.
    std::vector<NodeRef> nodes;
    // The folder the list belongs to: the focused folder for the largest files, the
    // scan root for search results.
    NodeRef scope;
    // The largest size among `nodes`; 0 when empty.
    std::int64_t maxSize = 0;

    // An empty list standing in until a computed one arrives.
    static OutlineFlatList placeholder(NodeRef scope) {
        OutlineFlatList list;
        list.scope = std::move(scope);
        return list;
    }
    // Recomputes `maxSize` from the nodes.
    void updateMaxSize() {
        maxSize = 0;
        for (const NodeRef& n : nodes) maxSize = std::max(maxSize, n->size());
    }
};

// The root of the whole tree, shown as one top-level row.
struct OutlineTree {
    NodeRef root;
};

using OutlineContent = std::variant<OutlineTree, OutlineFlatList>;

} // namespace plenwick
