#pragma once
// Everything the sunburst drawing needs for one state of the chart: the layout and
// a style per arc (colour, dimming, collected flag). A scene never changes; a
// change of colours, filter or collector makes a new scene sharing the layout.

#include "charts/ChartState.h"
#include "charts/SunburstLayout.h"
#include "charts/SunburstSceneKeys.h"

#include <memory>
#include <vector>

namespace plenwick {

struct SunburstArcStyle {
    RGB rgb;              // fill before dimming
    double dim = 0;       // how far the drawing fades the arc towards the background
    bool collected = false;
};

using SunburstStyles = std::vector<std::vector<SunburstArcStyle>>; // shaped like the layout's rings

class SunburstScene {
public:
    std::shared_ptr<const SunburstLayout> layout;
    SunburstStyles styles;
    SunburstGeometryKey geometryKey;
    SunburstStyleKey styleKey;
    bool focusCollected = false;

    // A scene for `focus`, reusing the previous scene's layout when its geometry key
    // still holds.
    static std::shared_ptr<const SunburstScene> make(const ChartState& state, const NodeRef& focus,
                                                     const SunburstScene* previous);
    static SunburstStyles makeStyles(const SunburstLayout& layout, const ChartState& state, bool focusCollected);

    const SunburstArcStyle& style(SunburstArcRef ref) const {
        return styles[static_cast<std::size_t>(ref.ring)][static_cast<std::size_t>(ref.index)];
    }
    // Whether a node counts as collected: itself or a folder above it.
    bool isCollected(const FileNode* node, const ChartState& state) const;
};

} // namespace plenwick
