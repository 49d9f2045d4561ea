#include "chartviews/SunburstInput.h"

#include <cmath>

namespace plenwick {

int SunburstClickCounter::press(const QPointF& position, std::uint64_t timestampMs, int intervalMs,
                                double maxDistance) {
    const bool continues = count_ > 0 && timestampMs >= lastTimestamp_ &&
                           timestampMs - lastTimestamp_ <= static_cast<std::uint64_t>(intervalMs) &&
                           std::hypot(position.x() - lastPosition_.x(), position.y() - lastPosition_.y()) <= maxDistance;
    count_ = continues ? count_ + 1 : 1;
    lastTimestamp_ = timestampMs;
    lastPosition_ = position;
    return count_;
}

SunburstClickAction sunburstClickAction(const SunburstLayout& layout, const SunburstHit& hit, bool multi,
                                        bool& sequenceZoomed, const FileNode* selection) {
    using Kind = SunburstClickAction::Kind;
    if (!multi) sequenceZoomed = false;
    switch (hit.kind) {
    case SunburstHit::Kind::centre:
        if (FileNode* parent = layout.focus->parent()) return {Kind::navigate, retainNode(parent)};
        return {};
    case SunburstHit::Kind::none:
        return selection ? SunburstClickAction{Kind::clearSelection, {}} : SunburstClickAction{};
    case SunburstHit::Kind::arc:
        break;
    }
    if (multi && sequenceZoomed) return {};
    const SunburstArc& arc = layout.arc(hit.ref);
    if (arc.isHiddenSpace) return {};
    // A smaller-items arc stands for the folder that holds those items.
    NodeRef target = arc.node ? arc.node : retainNode(arc.owner);
    if (target->isContainer() && target->childCount() > 0 && target != layout.focus &&
        (multi || target == selection)) {
        sequenceZoomed = true;
        return {Kind::navigate, std::move(target)};
    }
    return {Kind::select, std::move(target)};
}

std::optional<std::string> sunburstDragPath(const FileNode* node, const FileNode* root) {
    if (!node || !root || !node->parent() || !isWithin(node, root)) return std::nullopt;
    return node->url();
}

} // namespace plenwick
