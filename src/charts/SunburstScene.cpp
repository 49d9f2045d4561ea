#include "charts/SunburstScene.h"

#include <algorithm>
#include <unordered_set>

namespace plenwick {

namespace {

double lum(const RGB& c) noexcept { return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue; }

RGB towards(const RGB& c, double target, double t) noexcept {
    return {c.red + (target - c.red) * t, c.green + (target - c.green) * t, c.blue + (target - c.blue) * t};
}

} // namespace

std::shared_ptr<const SunburstScene> SunburstScene::make(const ChartState& state, const NodeRef& focus,
                                                         const SunburstScene* previous) {
    auto scene = std::make_shared<SunburstScene>();
    scene->geometryKey = SunburstGeometryKey(state, focus.get());
    scene->styleKey = SunburstStyleKey(state);
    if (previous && previous->layout && previous->geometryKey == scene->geometryKey)
        scene->layout = previous->layout;
    else
        scene->layout = std::make_shared<const SunburstLayout>(
            SunburstLayout::build(focus, SunburstLayout::standardRingCount, scene->geometryKey.hiddenBytes,
                                  SunburstLayout::standardMinArcDegrees));
    scene->focusCollected = state.isCollectedOrInside(focus.get());
    scene->styles = makeStyles(*scene->layout, state, scene->focusCollected);
    return scene;
}

SunburstStyles SunburstScene::makeStyles(const SunburstLayout& layout, const ChartState& state, bool focusCollected) {
    const bool filterActive = state.typeFilter().has_value();
    std::unordered_set<const FileNode*> collectorSet;
    for (const NodeRef& n : state.collector()) collectorSet.insert(n.get());
    std::unordered_set<const FileNode*> collectedOwners;
    if (focusCollected) collectedOwners.insert(layout.focus.get());
    const double aggregateDim = filterActive ? 0.8 : 0.45;
    const double hiddenDim = filterActive ? 0.75 : 0.3;

    SunburstStyles styles;
    styles.reserve(layout.rings.size());
    // Ring by ring, so an owner is styled before the arcs drawn inside it.
    for (const auto& ring : layout.rings) {
        auto& out = styles.emplace_back();
        out.reserve(ring.size());
        for (const SunburstArc& arc : ring) {
            if (arc.isHiddenSpace) {
                const RGB& g = defaultNodeColor;
                out.push_back({{g.red * 0.92, g.green * 0.92, g.blue * 0.92}, hiddenDim, false});
                continue;
            }
            const double d = arc.ring;
            const bool collected =
                collectedOwners.count(arc.owner) > 0 || (arc.node && collectorSet.count(arc.node.get()) > 0);
            if (!arc.node) {
                RGB c = towards(defaultNodeColor, 1, std::min(0.05 * d, 0.3));
                if (collected) c = towards(c, lum(c), 0.8);
                out.push_back({c, aggregateDim, collected});
                continue;
            }
            const FileNode& node = *arc.node;
            if (collected && node.isContainer()) collectedOwners.insert(&node);
            RGB c = state.color(node);
            c = towards(c, lum(c), std::min(0.06 * d, 0.3));
            c = towards(c, 1, std::min(0.075 * d, 0.42));
            if (!node.isContainer()) {
                c = towards(c, lum(c), 0.22);
                c = towards(c, 1, 0.06);
            }
            double dim = 0;
            if (filterActive && !state.matchesTypeFilter(node))
                dim = node.kind() == FileNode::Kind::directory ? 0.72 : 0.86;
            if (collected) {
                dim = std::max(dim, 0.4);
                c = towards(c, lum(c), 0.8);
            }
            out.push_back({c, dim, collected});
        }
    }
    return styles;
}

bool SunburstScene::isCollected(const FileNode* node, const ChartState& state) const {
    if (node == layout->focus.get()) return focusCollected;
    if (auto it = layout->index.find(node); it != layout->index.end()) return style(it->second).collected;
    return state.isCollectedOrInside(node);
}

} // namespace plenwick
