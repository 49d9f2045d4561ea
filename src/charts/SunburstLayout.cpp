#include "charts/SunburstLayout.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

struct FrontierEntry {
    FileNode* parent;
    double start;
    double end;
};

constexpr std::size_t orderCheckWindow = 24; // the first small child and the 23 after it

bool hasChildren(const FileNode& node) { return node.childCount() > 0; }

} // namespace

std::vector<FileNode*> SunburstLayout::sortedChildren(const FileNode& node) {
    std::vector<FileNode*> sorted;
    sorted.reserve(node.childCount());
    for (const NodeRef& child : node.children()) sorted.push_back(child.get());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const FileNode* a, const FileNode* b) { return a->size() > b->size(); });
    return sorted;
}

SunburstLayout SunburstLayout::build(const NodeRef& focus, int ringCount, std::int64_t hidden, double minArcDegrees) {
    SunburstLayout layout;
    layout.focus = focus;
    if (ringCount != standardRingCount) layout.metrics = SunburstRingMetrics(ringCount, 0.27, 0.07);
    const double minArc = minArcDegrees / 360.0;
    const double aggregateThreshold = 0.15 * minArc;

    const std::int64_t focusSize = focus->size();
    layout.focusSize = focusSize;
    const std::int64_t hiddenBytes = std::max<std::int64_t>(hidden, 0);
    const std::int64_t contentBytes = std::max<std::int64_t>(focusSize, 0);
    const double total = static_cast<double>(hiddenBytes) + static_cast<double>(contentBytes);
    layout.contentEnd = total > 0 ? static_cast<double>(contentBytes) / total : 1.0;
    if (1.0 - layout.contentEnd < aggregateThreshold) layout.contentEnd = 1.0;

    std::vector<FrontierEntry> frontier, next;
    if (focusSize > 0 && hasChildren(*focus)) frontier.push_back({focus.get(), 0.0, layout.contentEnd});

    std::vector<FileNode*> order;
    const int rounds = std::max(ringCount, 1);
    for (int r = 0; r < rounds; ++r) {
        std::vector<SunburstArc> arcs;
        next.clear();
        for (const FrontierEntry& entry : frontier) {
            FileNode& parent = *entry.parent;
            const auto children = parent.children();
            const std::size_t count = children.size();
            const double scale = (entry.end - entry.start) / static_cast<double>(parent.size());
            auto isSmall = [&](const FileNode& child) { return static_cast<double>(child.size()) * scale < minArc; };

            // The stored order is trusted unless it is visibly wrong before the first
            // small child or just after it.
            bool needsSort = false;
            std::size_t firstSmall = count;
            for (std::size_t i = 0; i < count; ++i) {
                if (isSmall(*children[i])) {
                    firstSmall = i;
                    break;
                }
                if (i > 0 && children[i]->size() > children[i - 1]->size()) needsSort = true;
            }
            for (std::size_t i = firstSmall; i < std::min(firstSmall + orderCheckWindow, count) && !needsSort; ++i)
                if (!isSmall(*children[i])) needsSort = true;
            order.clear();
            if (needsSort) {
                order = sortedChildren(parent);
            } else {
                for (std::size_t i = 0; i < firstSmall; ++i) order.push_back(children[i].get());
            }

            double cursor = entry.start;
            std::size_t placed = 0;
            std::int64_t placedBytes = 0;
            for (FileNode* child : order) {
                if (isSmall(*child)) break;
                const double arcEnd = std::min(cursor + static_cast<double>(child->size()) * scale, entry.end);
                layout.index.emplace(child, SunburstArcRef{r, static_cast<int>(arcs.size())});
                arcs.push_back({retainNode(child), &parent, r, cursor, arcEnd, child->size(), 0, false});
                if (child->isContainer() && child->size() > 0 && hasChildren(*child))
                    next.push_back({child, cursor, arcEnd});
                cursor = arcEnd;
                placedBytes += child->size();
                ++placed;
            }
            if (placed < count) {
                const std::int64_t restBytes = std::max<std::int64_t>(parent.size() - placedBytes, 0);
                const double restSpan = std::min(entry.end - cursor, scale * static_cast<double>(restBytes));
                if (restSpan >= aggregateThreshold)
                    arcs.push_back({NodeRef(), &parent, r, cursor, cursor + restSpan, restBytes,
                                    static_cast<int>(count - placed), false});
            }
        }
        if (r == 0 && layout.contentEnd < 1.0)
            arcs.push_back({NodeRef(), focus.get(), 0, layout.contentEnd, 1.0, hiddenBytes, 0, true});
        if (!arcs.empty()) layout.rings.push_back(std::move(arcs));
        std::swap(frontier, next);
    }
    layout.hiddenBytes = layout.contentEnd < 1.0 ? hiddenBytes : 0;
    return layout;
}

std::optional<SunburstArcMatch> SunburstLayout::arcRef(const FileNode* node) const {
    if (!node) return std::nullopt;
    if (auto it = index.find(node); it != index.end()) return SunburstArcMatch{it->second, true};
    for (const FileNode* a = node->parent(); a; a = a->parent()) {
        if (a == focus.get()) {
            const SunburstIndexRange range = arcRange(0, 0.0, contentEnd);
            if (range.empty()) return std::nullopt;
            const SunburstArc& last = rings[0][range.last - 1];
            if (last.isAggregate() && last.owner == a)
                return SunburstArcMatch{{0, static_cast<int>(range.last - 1)}, false};
            return std::nullopt;
        }
        if (auto it = index.find(a); it != index.end()) {
            const SunburstArc& own = arc(it->second);
            const SunburstIndexRange range = arcRange(it->second.ring + 1, own.start, own.end);
            if (!range.empty()) {
                const SunburstArc& last = rings[static_cast<std::size_t>(it->second.ring + 1)][range.last - 1];
                if (last.isAggregate() && last.owner == a)
                    return SunburstArcMatch{{it->second.ring + 1, static_cast<int>(range.last - 1)}, false};
            }
            return SunburstArcMatch{it->second, false};
        }
    }
    return std::nullopt;
}

std::optional<SunburstArcRef> SunburstLayout::hiddenSpaceArcRef() const {
    if (rings.empty() || rings[0].empty() || !rings[0].back().isHiddenSpace) return std::nullopt;
    return SunburstArcRef{0, static_cast<int>(rings[0].size() - 1)};
}

SunburstIndexRange SunburstLayout::arcRange(int ring, double from, double to) const {
    constexpr double epsilon = 1e-12;
    if (ring < 0 || static_cast<std::size_t>(ring) >= rings.size()) return {};
    const auto& arcs = rings[static_cast<std::size_t>(ring)];
    const auto first = std::partition_point(arcs.begin(), arcs.end(),
                                            [&](const SunburstArc& a) { return a.start < from - epsilon; });
    auto last = first;
    while (last != arcs.end() && last->end <= to + epsilon) ++last;
    return {static_cast<std::size_t>(first - arcs.begin()), static_cast<std::size_t>(last - arcs.begin())};
}

SunburstHit SunburstLayout::hitTest(double radius, double angle) const {
    if (radius < metrics.centreRadius) return SunburstHit::centre();
    const auto edge = std::upper_bound(metrics.edges.begin() + 1, metrics.edges.end(), radius);
    if (edge == metrics.edges.end()) return SunburstHit::none();
    const auto ring = static_cast<std::size_t>(edge - metrics.edges.begin() - 1);
    if (ring >= rings.size() || rings[ring].empty()) return SunburstHit::none();
    const double a = angle - std::floor(angle);
    const auto& arcs = rings[ring];
    const auto k = static_cast<std::size_t>(
        std::partition_point(arcs.begin(), arcs.end(), [&](const SunburstArc& arc) { return arc.start <= a; }) -
        arcs.begin());
    if (k == 0 || !(a < arcs[k - 1].end)) return SunburstHit::none();
    return SunburstHit::arc({static_cast<int>(ring), static_cast<int>(k - 1)});
}

std::optional<SunburstSpan> SunburstLayout::span(const FileNode* node, const FileNode* ancestor) {
    if (!node || !ancestor || node == ancestor) return std::nullopt;
    std::vector<const FileNode*> path; // from the node up to the ancestor's child
    const FileNode* n = node;
    for (; n && n != ancestor; n = n->parent()) path.push_back(n);
    if (n != ancestor) return std::nullopt;

    double start = 0, width = 1;
    const FileNode* parent = ancestor;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const FileNode* child = *it;
        if (parent->size() < 1) return std::nullopt;
        std::int64_t offset = 0;
        bool before = true; // still at a sibling stored before the child
        for (const NodeRef& sibling : parent->children()) {
            if (sibling.get() == child) {
                before = false;
                continue;
            }
            if (sibling->size() > child->size() || (before && sibling->size() == child->size()))
                offset += sibling->size();
        }
        const auto parentSize = static_cast<double>(parent->size());
        start += static_cast<double>(offset) / parentSize * width;
        width *= static_cast<double>(child->size()) / parentSize;
        parent = child;
    }
    return SunburstSpan{start, start + width, static_cast<int>(path.size())};
}

} // namespace plenwick
