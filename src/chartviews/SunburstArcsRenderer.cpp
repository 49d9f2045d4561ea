#include "chartviews/SunburstArcsRenderer.h"

#include "chartviews/SunburstPainter.h"

#include <QPainter>

namespace plenwick {

namespace {

using Parts = SunburstDrawParams::Parts;

QImage transparentLike(const QImage& image) {
    QImage layer(image.size(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(image.devicePixelRatio());
    layer.fill(Qt::transparent);
    return layer;
}

} // namespace

void SunburstArcsRenderer::release() {
    oldFills_ = newFills_ = QImage();
    crossfadeKey_ = {};
}

void SunburstArcsRenderer::render(QImage& image, const SunburstScene& scene, const SunburstTransition* transition,
                                  double progress, const SunburstChartGeometry& geometry,
                                  const SunburstAppearance& appearance) {
    image.fill(sunburstColor(appearance.background));
    if (!transition || progress >= 1) {
        drawSunburstScene(image, scene, {geometry, appearance, {}, {}});
        return;
    }
    const SunburstFrame frame = transition->frame(progress);
    const SunburstPass oldPass = transition->oldPass(progress), newPass = transition->newPass(progress);

    if (transition->kind == SunburstTransition::Kind::crossfade) {
        // Nothing moves: each scene's fills are drawn once and faded as images.
        // Each is drawn when it first shows, so the first frames draw one scene each.
        const CrossfadeKey key{transition->id, image.size(), image.devicePixelRatio(), appearance};
        if (!(key == crossfadeKey_)) {
            crossfadeKey_ = key;
            oldFills_ = newFills_ = QImage();
        }
        auto draw = [&](const SunburstScene* drawn, QImage& fills, const SunburstPass& pass) {
            if (!drawn || pass.opacity <= 0.001) return;
            if (fills.isNull()) {
                fills = transparentLike(image);
                drawSunburstScene(fills, *drawn, {geometry, appearance, {}, {}, Parts::fills});
            }
            {
                QPainter painter(&image);
                painter.setOpacity(pass.opacity);
                painter.drawImage(QPointF(0, 0), fills);
            }
            drawSunburstScene(image, *drawn,
                              {geometry, appearance, {0, 1, 0, pass.opacity, pass.labelOpacity}, {}, Parts::labels});
        };
        draw(transition->from.get(), oldFills_, oldPass);
        draw(&scene, newFills_, newPass);
        return;
    }

    // A zoom: every frame draws both scenes anew, each at its opacity.
    if (transition->from) drawSunburstScene(image, *transition->from, {geometry, appearance, oldPass, frame});
    drawSunburstScene(image, scene, {geometry, appearance, newPass, frame});
}

} // namespace plenwick
