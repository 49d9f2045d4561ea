#pragma once
// How the collector's changes move: in a critically damped spring of 0.22 seconds,
// for which the nearest easing curve runs over the same time. Nothing moves while the
// desktop asks for reduced motion or the view is off screen: changes show at once.

class QVariantAnimation;
class QWidget;

namespace plenwick {

constexpr int kCollectorSpringMs = 220;

// Gives `animation` the spring's duration and curve.
void makeCollectorSpring(QVariantAnimation& animation);
// Whether a change of `widget` moves now.
bool collectorMoves(const QWidget& widget);

} // namespace plenwick
