#pragma once
// The picture of the arcs layer: the scene, or a frame of a transition between two
// scenes, over the background.
//
// The two still scenes of a crossfade are drawn once per crossfade, their labels
// apart, since labels fade on their own schedule; a zoom draws both scenes anew in
// every frame.

#include "charts/SunburstTransition.h"
#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstChartGeometry.h"

#include <QImage>

#include <cstdint>

namespace plenwick {

class SunburstArcsRenderer {
public:
    // Renders into `image`, whose size and pixel ratio are the view's.
    void render(QImage& image, const SunburstScene& scene, const SunburstTransition* transition, double progress,
                const SunburstChartGeometry& geometry, const SunburstAppearance& appearance);
    // Drops what was kept for a transition.
    void release();

private:
    struct CrossfadeKey {
        std::uint64_t transition = 0;
        QSize pixels;
        double ratio = 0;
        SunburstAppearance appearance;
        friend bool operator==(const CrossfadeKey&, const CrossfadeKey&) = default;
    };
    CrossfadeKey crossfadeKey_;
    QImage oldFills_, newFills_; // the crossfade's scenes without labels
};

} // namespace plenwick
