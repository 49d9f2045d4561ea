#include "collector/CollectorMotion.h"

#include "platform/MotionPreference.h"

#include <QEasingCurve>
#include <QVariantAnimation>
#include <QWidget>

namespace plenwick {

void makeCollectorSpring(QVariantAnimation& animation) {
    animation.setDuration(kCollectorSpringMs);
    animation.setEasingCurve(QEasingCurve::OutCubic);
}

bool collectorMoves(const QWidget& widget) {
    return widget.isVisible() && !MotionPreference::shared().reduceMotion();
}

} // namespace plenwick
