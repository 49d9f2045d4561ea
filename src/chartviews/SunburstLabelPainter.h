#pragma once
// Draws the two-line label of an arc (name over size) where it fits, turned along or
// across the ring when it does not fit upright.

#include "charts/SunburstLayout.h"
#include "scanner/Color.h"

#include <QPointF>

class QPainter;

namespace plenwick {

// An arc as drawn: its fill and its place in points and angular fractions.
struct SunburstLabelArc {
    const SunburstArc* arc = nullptr;
    RGB fill;
    bool collected = false;
    double ri = 0, ro = 0, a0 = 0, a1 = 0;
};

// Draws the label of a node's arc or of the hidden space; nothing when it fits nowhere
// or the ring is thinner than 16 points.
void drawSunburstLabel(QPainter& painter, const SunburstLabelArc& label, const QPointF& centre);

} // namespace plenwick
