#pragma once
// The sunburst's geometric model for one focus: which nodes get an arc, in which
// ring and over which angles; small children merged into one aggregate arc per
// parent; an arc for space the scan does not attribute to any node; and the
// lookups the drawing and the pointer need. Angles are fractions of a turn from
// 12 o'clock clockwise.

#include "charts/SunburstRingMetrics.h"
#include "scanner/FileNode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace plenwick {

struct SunburstArc {
    NodeRef node;             // none for an aggregate arc and the hidden-space arc
    FileNode* owner = nullptr; // the parent of the arc's node(s); the focus for ring 0
    int ring = 0;
    double start = 0;
    double end = 0;
    std::int64_t size = 0;     // bytes the arc stands for
    int aggregateCount = 0;    // children merged into an aggregate arc, else 0
    bool isHiddenSpace = false;

    bool isAggregate() const noexcept { return !node && !isHiddenSpace; }
};

struct SunburstArcRef {
    int ring = 0;
    int index = 0;
    friend bool operator==(const SunburstArcRef&, const SunburstArcRef&) = default;
};

struct SunburstHit {
    enum class Kind { arc, centre, none };
    Kind kind = Kind::none;
    SunburstArcRef ref; // only for Kind::arc

    static SunburstHit none() { return {}; }
    static SunburstHit centre() { return {Kind::centre, {}}; }
    static SunburstHit arc(SunburstArcRef r) { return {Kind::arc, r}; }
    friend bool operator==(const SunburstHit&, const SunburstHit&) = default;
};

// The arc that shows a node: its own (exact) or the one that stands for it.
struct SunburstArcMatch {
    SunburstArcRef ref;
    bool exact = false;
    friend bool operator==(const SunburstArcMatch&, const SunburstArcMatch&) = default;
};

struct SunburstSpan {
    double start = 0;
    double end = 0;
    int depth = 0; // 1 for a direct child of the ancestor
};

struct SunburstIndexRange {
    std::size_t first = 0;
    std::size_t last = 0; // one past the last
    bool empty() const noexcept { return first >= last; }
};

class SunburstLayout {
public:
    static constexpr int standardRingCount = 6;
    static constexpr double standardMinArcDegrees = 0.6;

    NodeRef focus;
    std::int64_t focusSize = 0;
    std::int64_t hiddenBytes = 0;
    double contentEnd = 1.0;
    std::vector<std::vector<SunburstArc>> rings; // only rings that hold arcs
    SunburstRingMetrics metrics = SunburstRingMetrics::standard();
    std::unordered_map<const FileNode*, SunburstArcRef> index; // every arc that has a node

    static SunburstLayout build(const NodeRef& focus, int ringCount = standardRingCount,
                                std::int64_t hiddenBytes = 0, double minArcDegrees = standardMinArcDegrees);

    // Children sorted by size descending; equal sizes keep their stored order.
    static std::vector<FileNode*> sortedChildren(const FileNode& node);

    const SunburstArc& arc(SunburstArcRef ref) const {
        return rings[static_cast<std::size_t>(ref.ring)][static_cast<std::size_t>(ref.index)];
    }
    std::optional<SunburstArcMatch> arcRef(const FileNode* node) const;
    std::optional<SunburstArcRef> hiddenSpaceArcRef() const;
    // Indices of the arcs of one ring that lie wholly inside [from, to].
    SunburstIndexRange arcRange(int ring, double from, double to) const;
    SunburstHit hitTest(double radius, double angle) const;
    // A node's exact proportional span below an ancestor, ignoring merging, minimum
    // arcs and hidden space; none for the ancestor itself or a node outside it.
    static std::optional<SunburstSpan> span(const FileNode* node, const FileNode* ancestor);
};

} // namespace plenwick

template <>
struct std::hash<plenwick::SunburstArcRef> {
    std::size_t operator()(const plenwick::SunburstArcRef& r) const noexcept {
        return std::hash<std::uint64_t>{}((static_cast<std::uint64_t>(static_cast<std::uint32_t>(r.ring)) << 32) |
                                          static_cast<std::uint32_t>(r.index));
    }
};
