#pragma once
// A soft drop shadow under a shape: the shape's coverage blurred by a Gaussian
// (three box passes) at the painter's device resolution. Blurred images are kept in a
// small cache keyed by the shape, so that a card repainted for a hover blurs nothing.
// The blur radius spans about two standard deviations.

#include <QColor>
#include <QImage>

class QPainter;
class QPainterPath;

namespace plenwick {

// Draws the shadow of `shape` moved down by `offsetY`, reaching about `blur` beyond
// it, in `color` (its alpha is the shadow's opacity under the middle of the shape).
void paintSoftShadow(QPainter& painter, const QPainterPath& shape, qreal blur, qreal offsetY, const QColor& color);

// Blurs the alpha channel of an Alpha8 image in place, standard deviation `sigma` pixels.
void blurAlpha(QImage& alpha, double sigma);

} // namespace plenwick
