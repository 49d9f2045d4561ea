#pragma once
// The sunburst's hover and selection layer over the arcs: a white wash over the
// hovered arc (and, for a folder, over everything drawn inside it) and the selection
// outline on a halo of the background colour. It repaints only the area it changes.

#include "charts/SunburstScene.h"
#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstChartGeometry.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

namespace plenwick {

struct SunburstOverlayContent {
    std::shared_ptr<const SunburstScene> scene;
    std::optional<SunburstArcMatch> highlight; // the arc showing the hovered node
    std::optional<SunburstArcMatch> selection; // the arc showing the selected node

    friend bool operator==(const SunburstOverlayContent&, const SunburstOverlayContent&) = default;
};

// Draws the overlay onto `image`, a transparent premultiplied image whose top left
// corner lies at the chart's point `origin`. The washes are filled by the arcs' own
// rasteriser (QPainter blends translucent fills on its thread pool and waits, which
// a hover cannot afford); the outlines are QPainter's strokes.
void drawSunburstOverlay(QImage& image, const QPointF& origin, const SunburstOverlayContent& content,
                         const SunburstChartGeometry& geometry, const SunburstAppearance& appearance);
// The area the overlay draws on, strokes included.
QRectF sunburstOverlayBounds(const SunburstOverlayContent& content, const SunburstChartGeometry& geometry);

class SunburstOverlayLayer final : public QWidget {
    Q_OBJECT

public:
    explicit SunburstOverlayLayer(QWidget* parent = nullptr);

    void setContent(SunburstOverlayContent content, const SunburstAppearance& appearance);
    const SunburstOverlayContent& content() const { return content_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    SunburstOverlayContent content_;
    SunburstAppearance appearance_ = SunburstAppearance::light;
    // The overlay drawn over its bounds, laid over the arcs as one image.
    QImage image_;
    QRect imageBounds_;
    bool imageValid_ = false;
};

} // namespace plenwick
