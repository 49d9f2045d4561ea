#include "charts/ui/SunburstOverlayLayer.h"

#include "charts/ui/SunburstPainter.h"

#include <QPainter>

namespace plenwick {

namespace {

QPen outlinePen(const QColor& color, double width) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    return pen;
}

} // namespace

void drawSunburstOverlay(QPainter& painter, const SunburstOverlayContent& content,
                         const SunburstChartGeometry& geometry, const SunburstAppearance& appearance) {
    if (!content.scene) return;
    const SunburstLayout& layout = *content.scene->layout;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (const auto& h = content.highlight) {
        const SunburstArc& arc = layout.arc(h->ref);
        const QPainterPath path = sunburstArcPath(arc, layout.metrics, geometry);
        const QColor white(Qt::white);
        if (h->exact) {
            painter.fillPath(path, sunburstColor({1, 1, 1}, appearance.highlight));
            if (arc.node && arc.node->isContainer()) {
                // Everything drawn inside the folder lights up too, fainter: each run of
                // touching arcs as one shape, which looks the same as arc by arc and
                // costs a few fills where a large folder has hundreds of arcs.
                const QColor inside = sunburstColor({1, 1, 1}, appearance.highlight * 0.45);
                QPainterPath run;
                run.setFillRule(Qt::OddEvenFill);
                for (int r = h->ref.ring + 1; r < static_cast<int>(layout.rings.size()); ++r) {
                    const auto& ring = layout.rings[static_cast<std::size_t>(r)];
                    const SunburstIndexRange range = layout.arcRange(r, arc.start, arc.end);
                    const double ri = layout.metrics.ringRadius(r) * geometry.radius;
                    const double ro = layout.metrics.ringRadius(r + 1) * geometry.radius;
                    for (std::size_t i = range.first; i < range.last;) {
                        std::size_t last = i;
                        while (last + 1 < range.last && ring[last + 1].start - ring[last].end < 1e-12) ++last;
                        run.clear();
                        addSunburstArcShape(run, geometry.centre, ring[i].start, ring[last].end, ri, ro);
                        painter.fillPath(run, inside);
                        i = last + 1;
                    }
                }
            }
        } else {
            painter.fillPath(path, sunburstColor({1, 1, 1}, appearance.highlight * 0.55));
            // Laid over the wash, not in its place.
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.strokePath(path, outlinePen(sunburstColor(appearance.outline, 0.55), 1));
            painter.setCompositionMode(QPainter::CompositionMode_Source);
        }
    }
    if (const auto& s = content.selection) {
        const QPainterPath path = sunburstArcPath(layout.arc(s->ref), layout.metrics, geometry);
        painter.strokePath(path, outlinePen(sunburstColor(appearance.background), 4.5));
        QPen pen = outlinePen(sunburstColor(appearance.outline), s->exact ? 2 : 1.5);
        if (!s->exact) pen.setDashPattern({4 / 1.5, 3 / 1.5});
        painter.strokePath(path, pen);
    }
    painter.restore();
}

QRectF sunburstOverlayBounds(const SunburstOverlayContent& content, const SunburstChartGeometry& geometry) {
    if (!content.scene) return {};
    const SunburstLayout& layout = *content.scene->layout;
    QRectF bounds;
    if (const auto& h = content.highlight) {
        const SunburstArc& arc = layout.arc(h->ref);
        QPainterPath wedge;
        // A folder's wash reaches the outer edge.
        const bool deep = h->exact && arc.node && arc.node->isContainer();
        addSunburstArcShape(wedge, geometry.centre, arc.start, arc.end, layout.metrics.ringRadius(arc.ring) * geometry.radius,
                            (deep ? 1.0 : layout.metrics.ringRadius(arc.ring + 1)) * geometry.radius);
        bounds = wedge.boundingRect();
    }
    if (const auto& s = content.selection)
        bounds |= sunburstArcPath(layout.arc(s->ref), layout.metrics, geometry).boundingRect();
    return bounds.isEmpty() ? bounds : bounds.adjusted(-4, -4, 4, 4);
}

SunburstOverlayLayer::SunburstOverlayLayer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SunburstOverlayLayer::setContent(SunburstOverlayContent content, const SunburstAppearance& appearance) {
    if (content == content_ && appearance == appearance_) return;
    const SunburstChartGeometry geometry = SunburstChartGeometry::forSize(size());
    QRectF dirty = sunburstOverlayBounds(content_, geometry);
    if (appearance != appearance_ || content.scene != content_.scene) dirty = rect();
    content_ = std::move(content);
    appearance_ = appearance;
    imageValid_ = false;
    dirty |= sunburstOverlayBounds(content_, geometry);
    if (!dirty.isEmpty()) update(dirty.toAlignedRect());
}

void SunburstOverlayLayer::resizeEvent(QResizeEvent*) {
    imageValid_ = false;
    update();
}

void SunburstOverlayLayer::paintEvent(QPaintEvent*) {
    const double ratio = devicePixelRatioF();
    if (!imageValid_ || image_.devicePixelRatio() != ratio) {
        const SunburstChartGeometry geometry = SunburstChartGeometry::forSize(size());
        imageBounds_ = sunburstOverlayBounds(content_, geometry).toAlignedRect().intersected(rect());
        imageValid_ = true;
        if (imageBounds_.isEmpty()) {
            image_ = QImage();
        } else {
            image_ = QImage((QSizeF(imageBounds_.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
            image_.setDevicePixelRatio(ratio);
            image_.fill(Qt::transparent);
            QPainter painter(&image_);
            painter.translate(-imageBounds_.topLeft());
            drawSunburstOverlay(painter, content_, geometry, appearance_);
        }
    }
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(imageBounds_.topLeft(), image_);
}

} // namespace plenwick
