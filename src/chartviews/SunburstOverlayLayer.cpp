#include "chartviews/SunburstOverlayLayer.h"

#include "charts/SunburstSectorRaster.h"
#include "chartviews/SunburstPainter.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace plenwick {

namespace {

QPen outlinePen(const QColor& color, double width) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    return pen;
}

} // namespace

void drawSunburstOverlay(QImage& image, const QPointF& origin, const SunburstOverlayContent& content,
                         const SunburstChartGeometry& geometry, const SunburstAppearance& appearance) {
    if (!content.scene) return;
    const SunburstLayout& layout = *content.scene->layout;
    // The washes are filled in the image's pixels like the arcs beneath them.
    const double ratio = image.devicePixelRatio();
    const QPointF centre = (geometry.centre - origin) * ratio;
    std::vector<SunburstSector> washes;
    auto wash = [&](double start, double end, int ring, double opacity) {
        const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(opacity, 0.0, 1.0) * 255 + 0.5);
        washes.emplace_back(centre.x(), centre.y(), start, end, layout.metrics.ringRadius(ring) * geometry.radius * ratio,
                            layout.metrics.ringRadius(ring + 1) * geometry.radius * ratio, 0,
                            a << 24 | a << 16 | a << 8 | a); // white, premultiplied
    };
    const SunburstArc* outlined = nullptr;
    if (const auto& h = content.highlight) {
        const SunburstArc& arc = layout.arc(h->ref);
        if (h->exact) {
            wash(arc.start, arc.end, arc.ring, appearance.highlight);
            if (arc.node && arc.node->isContainer()) {
                // Everything drawn inside the folder lights up too, fainter: each run of
                // touching arcs as one shape, which looks the same as arc by arc and
                // costs a few fills where a large folder has hundreds of arcs.
                for (int r = h->ref.ring + 1; r < static_cast<int>(layout.rings.size()); ++r) {
                    const auto& ring = layout.rings[static_cast<std::size_t>(r)];
                    const SunburstIndexRange range = layout.arcRange(r, arc.start, arc.end);
                    for (std::size_t i = range.first; i < range.last;) {
                        std::size_t last = i;
                        while (last + 1 < range.last && ring[last + 1].start - ring[last].end < 1e-12) ++last;
                        wash(ring[i].start, ring[last].end, r, appearance.highlight * 0.45);
                        i = last + 1;
                    }
                }
            }
        } else {
            wash(arc.start, arc.end, arc.ring, appearance.highlight * 0.55);
            outlined = &arc;
        }
    }
    fillSunburstSectors({reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
                         static_cast<std::ptrdiff_t>(image.bytesPerLine() / 4)},
                        washes);

    if (!outlined && !content.selection) return;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-origin);
    // An arc that only stands for the hovered node is outlined over its wash.
    if (outlined)
        painter.strokePath(sunburstArcPath(*outlined, layout.metrics, geometry),
                           outlinePen(sunburstColor(appearance.outline, 0.55), 1));
    if (const auto& s = content.selection) {
        // Opaque strokes: in Source mode QPainter draws them inline.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QPainterPath path = sunburstArcPath(layout.arc(s->ref), layout.metrics, geometry);
        painter.strokePath(path, outlinePen(sunburstColor(appearance.background), 4.5));
        QPen pen = outlinePen(sunburstColor(appearance.outline), s->exact ? 2 : 1.5);
        if (!s->exact) pen.setDashPattern({4 / 1.5, 3 / 1.5});
        painter.strokePath(path, pen);
    }
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
            drawSunburstOverlay(image_, imageBounds_.topLeft(), content_, geometry, appearance_);
        }
    }
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(imageBounds_.topLeft(), image_);
}

} // namespace plenwick
