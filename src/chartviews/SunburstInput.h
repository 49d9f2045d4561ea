#pragma once
// What the sunburst's pointer input means, decided apart from the widget: the click
// count (Qt counts only to two), what a click on a hit does, and whether a node can be
// dragged out.

#include "charts/SunburstLayout.h"

#include <QPointF>

#include <cstdint>
#include <optional>
#include <string>

namespace plenwick {

// Counts the clicks of a multi-click sequence: a press within the double-click
// interval and distance of the previous one continues it.
class SunburstClickCounter {
public:
    // The count of this press: 1 for a fresh click, 2 for a double click, 3 …
    int press(const QPointF& position, std::uint64_t timestampMs, int intervalMs, double maxDistance);

private:
    int count_ = 0;
    std::uint64_t lastTimestamp_ = 0;
    QPointF lastPosition_;
};

struct SunburstClickAction {
    enum class Kind { nothing, select, navigate, clearSelection };
    Kind kind = Kind::nothing;
    NodeRef node; // what to select or navigate to

    friend bool operator==(const SunburstClickAction&, const SunburstClickAction&) = default;
};

// What a click on `hit` does. `multi`: the click is the second or a later one of a
// sequence; `sequenceZoomed` records whether the sequence has zoomed already and is
// updated here. The first click on an arc selects; the second of a double click, or a
// single click on the already selected folder, zooms into it; a sequence zooms once.
// The centre zooms out; outside the rings the selection is cleared.
SunburstClickAction sunburstClickAction(const SunburstLayout& layout, const SunburstHit& hit, bool multi,
                                        bool& sequenceZoomed, const FileNode* selection);

// The path of a node that can be dragged out: one inside the tree of `root` that is
// not the root itself.
std::optional<std::string> sunburstDragPath(const FileNode* node, const FileNode* root);

} // namespace plenwick
