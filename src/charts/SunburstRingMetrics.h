#pragma once
// The radial division of the sunburst: a centre disc and rings that get thinner
// outwards. Radii are fractions of the chart's outer radius.

#include <vector>

namespace plenwick {

struct SunburstRingMetrics {
    double centreRadius = 0;
    // Ring count + 1 increasing radii; edges[0] is centreRadius, the last is exactly 1.
    std::vector<double> edges;

    SunburstRingMetrics(int ringCount, double centreRadius, double decay);

    // Six rings, centre 0.27, decay 0.07; computed once.
    static const SunburstRingMetrics& standard();

    int ringCount() const noexcept { return static_cast<int>(edges.size()) - 1; }
    // Radius at a fractional ring position (r = i is the inner edge of ring i); below
    // ring 0 it runs straight to the centre at r = -1, beyond the last ring it
    // extrapolates the last ring's width.
    double ringRadius(double r) const noexcept;
};

} // namespace plenwick
