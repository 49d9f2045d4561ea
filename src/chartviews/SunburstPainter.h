#pragma once
// Draws one sunburst scene into an image: the filled arcs with the separators cut
// between them, stripes over collected items, dots over the hidden space, and the
// labels of the three inner rings. The same routine draws a scene zoomed, shifted by
// rings and faded, which is how the zoom transitions are made. Its fills are
// antialiased in every frame: they are our own (SunburstSectorRaster), filled in
// bands on the pool, where QPainter's smooth fills would take several frames' time.

#include "charts/SunburstScene.h"
#include "charts/SunburstTransition.h"
#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstChartGeometry.h"

#include <QPainterPath>

class QImage;

namespace plenwick {

struct SunburstDrawParams {
    SunburstChartGeometry geometry;
    SunburstAppearance appearance = SunburstAppearance::light;
    SunburstPass pass;   // the scene's place in the common frame and its opacities
    SunburstFrame frame; // the visible window of the common frame and the ring shift
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

// Draws over `image`, a premultiplied ARGB32 image (QImage::Format_ARGB32_Premultiplied)
// whose device pixel ratio maps the points of `params` to its pixels.
void drawSunburstScene(QImage& image, const SunburstScene& scene, const SunburstDrawParams& params);

} // namespace plenwick
