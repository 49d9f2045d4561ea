#pragma once
// Draws one sunburst scene with QPainter: the filled arcs, stripes over collected
// items, dots over the hidden space, the separators and the labels of the three
// inner rings. The same routine draws a scene zoomed, shifted by rings and faded,
// which is how the zoom transitions are made.

#include "charts/SunburstScene.h"
#include "charts/SunburstTransition.h"
#include "charts/ui/SunburstAppearance.h"
#include "charts/ui/SunburstChartGeometry.h"

#include <QPainterPath>

class QPainter;

namespace plenwick {

struct SunburstDrawParams {
    SunburstChartGeometry geometry;
    SunburstAppearance appearance = SunburstAppearance::light;
    SunburstPass pass;   // the scene's place in the common frame and its opacities
    SunburstFrame frame; // the visible window of the common frame and the ring shift
    // Antialiased edges. The frames of a zoom, where every edge moves, go without:
    // smooth, they cost three times as much, and nothing stays still long enough to
    // show the steps.
    bool smooth = true;
    enum class Parts { all, fills, labels };
    Parts parts = Parts::all;
};

// Adds the outline of an arc between angular fractions a0 < a1 and radii ri < ro
// (points) around `centre`: a full ring when it covers the turn, closed through the
// centre when ri is 0.5 points or less. Fill with the odd-even rule.
void addSunburstArcShape(QPainterPath& path, const QPointF& centre, double a0, double a1, double ri, double ro);

// The outline of one arc at its own ring and angles.
QPainterPath sunburstArcPath(const SunburstArc& arc, const SunburstRingMetrics& metrics,
                             const SunburstChartGeometry& geometry);

// The fill of an arc's style: its colour moved towards the background by its dimming.
RGB sunburstFillColor(const SunburstArcStyle& style, const SunburstAppearance& appearance);

// Returns the area it drew on, in points.
QRectF drawSunburstScene(QPainter& painter, const SunburstScene& scene, const SunburstDrawParams& params);

} // namespace plenwick
