#include "charts/ui/SunburstArcsRenderer.h"

#include "charts/ui/SunburstPainter.h"

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

QImage& SunburstArcsRenderer::layer(const QImage& like) {
    if (layer_.size() != like.size()) {
        layer_ = QImage(like.size(), QImage::Format_ARGB32_Premultiplied);
        layerDirty_ = layer_.rect();
    }
    layer_.setDevicePixelRatio(like.devicePixelRatio());
    if (!layerDirty_.isEmpty()) {
        // Only what the last scene drew on needs clearing.
        QPainter painter(&layer_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRectF(layerDirty_.topLeft() / layer_.devicePixelRatio(),
                                QSizeF(layerDirty_.size()) / layer_.devicePixelRatio()),
                         Qt::transparent);
    }
    layerDirty_ = QRect();
    return layer_;
}

void SunburstArcsRenderer::release() {
    layer_ = QImage();
    layerDirty_ = QRect();
    oldFills_ = newFills_ = QImage();
    crossfadeKey_ = {};
}

void SunburstArcsRenderer::render(QImage& image, const SunburstScene& scene, const SunburstTransition* transition,
                                  double progress, const SunburstChartGeometry& geometry,
                                  const SunburstAppearance& appearance) {
    image.fill(sunburstColor(appearance.background));
    if (!transition || progress >= 1) {
        QPainter painter(&image);
        drawSunburstScene(painter, scene, {geometry, appearance, {}, {}});
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
        QPainter painter(&image);
        auto draw = [&](const SunburstScene* drawn, QImage& fills, const SunburstPass& pass) {
            if (!drawn || pass.opacity <= 0.001) return;
            if (fills.isNull()) {
                fills = transparentLike(image);
                QPainter layer(&fills);
                drawSunburstScene(layer, *drawn, {geometry, appearance, {}, {}, true, Parts::fills});
            }
            painter.setOpacity(pass.opacity);
            painter.drawImage(QPointF(0, 0), fills);
            drawSunburstScene(painter, *drawn, {geometry, appearance, {0, 1, 0, 1, pass.labelOpacity}, {}, true,
                                                Parts::labels});
        };
        draw(transition->from.get(), oldFills_, oldPass);
        draw(&scene, newFills_, newPass);
        return;
    }

    // A zoom: every frame draws both scenes anew, each opaque and then laid over the
    // picture at its opacity. Their edges go without antialiasing: smooth fills of both
    // scenes cost three times as much, beyond the frame's time.
    auto draw = [&](const SunburstScene& drawn, SunburstPass pass) {
        const double opacity = pass.opacity;
        if (opacity <= 0.001) return;
        pass.opacity = 1;
        const SunburstDrawParams params{geometry, appearance, pass, frame, false};
        if (opacity >= 0.999) {
            QPainter painter(&image);
            drawSunburstScene(painter, drawn, params);
            return;
        }
        QImage& faded = layer(image);
        QRectF area;
        {
            QPainter painter(&faded);
            area = drawSunburstScene(painter, drawn, params);
        }
        // Laid over only where the scene drew; the edges' antialiasing reaches a pixel.
        const double ratio = faded.devicePixelRatio();
        layerDirty_ = QRectF(area.topLeft() * ratio, area.size() * ratio).toAlignedRect().adjusted(-2, -2, 2, 2) &
                      faded.rect();
        if (layerDirty_.isEmpty()) return;
        QPainter painter(&image);
        painter.setOpacity(opacity);
        const QRectF target(layerDirty_.topLeft() / ratio, QSizeF(layerDirty_.size()) / ratio);
        painter.drawImage(target, faded, layerDirty_);
    };
    if (transition->from) draw(*transition->from, oldPass);
    draw(scene, newPass);
}

} // namespace plenwick
