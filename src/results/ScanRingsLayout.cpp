#include "results/ScanRingsLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plenwick {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double twoPi = 2 * pi;

std::vector<ScanRing> buildRings() {
    std::uint64_t state = 7;
    std::vector<ScanRing> rings;
    auto add = [&](double inner, double outer, int segments, double speed, double coverage) {
        ScanRing ring{inner, outer, makeScanRingWeights(segments, state), speed, coverage};
        rings.push_back(std::move(ring));
    };
    add(0.36, 0.52, 6, 0.1, 1.0);
    add(0.545, 0.69, 11, -0.07, 0.92);
    add(0.715, 0.84, 17, 0.12, 0.78);
    add(0.865, 0.97, 24, -0.05, 0.58);
    return rings;
}

// The sweep's share of the segment [start, end]: up to two pieces where the segment
// crosses the wedge's start angle modulo a turn.
void addSweepPieces(std::vector<ScanRingSweepPiece>& pieces, const ScanRingSegment& s, double wedgeStart, double span) {
    double from = std::fmod(s.start - wedgeStart, twoPi);
    if (from < 0) from += twoPi;
    const double length = s.end - s.start;
    for (double offset : {from, from - twoPi}) {
        const double a = std::max(offset, 0.0), b = std::min(offset + length, span);
        if (b > a) pieces.push_back({wedgeStart + a, wedgeStart + b, s.innerRadius, s.outerRadius});
    }
}

} // namespace

std::vector<double> makeScanRingWeights(int n, std::uint64_t& state) {
    std::vector<double> weights;
    weights.reserve(static_cast<std::size_t>(std::max(0, n)));
    for (int i = 0; i < n; ++i) {
        state += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z = z ^ (z >> 31);
        weights.push_back(static_cast<double>(z % 1000) / 1000.0 + 0.35);
    }
    return weights;
}

const std::vector<ScanRing>& scanRings() {
    static const std::vector<ScanRing> rings = buildRings();
    return rings;
}

double scanRingCoverage(const ScanRing& ring, int index, double t) {
    return std::min(ring.coverage + 0.12 * std::sin(1.3 * index + 0.45 * t), 1.0);
}

ScanRingsFrame scanRingsFrame(double width, double height, double t, const std::vector<ScanRing>& rings) {
    ScanRingsFrame frame;
    const double R = std::min(width, height) / 2;
    if (!(R > 4)) return frame;
    frame.empty = false;
    frame.centreX = width / 2;
    frame.centreY = height / 2;
    frame.radius = R;
    frame.glowInnerRadius = 0.2 * R;
    frame.hubRadius = 0.33 * R;

    const double breathe = 0.8 * t, shimmer = 2.2 * t, drift = 0.01 * t;
    std::vector<double> modulated;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        const ScanRing& ring = rings[i];
        const double ringIndex = static_cast<double>(i);
        const double cov = scanRingCoverage(ring, static_cast<int>(i), t);
        modulated.clear();
        double total = 0;
        for (std::size_t j = 0; j < ring.weights.size(); ++j) {
            const double w = ring.weights[j] * (1 + 0.38 * std::sin(1.7 * static_cast<double>(j) + breathe + 0.9 * ringIndex));
            modulated.push_back(w);
            total += w;
        }
        if (ring.weights.empty()) continue;
        const double rIn = ring.inner * R, rOut = ring.outer * R;
        // Whole turns dropped: the clock's t is near 10⁹, and the arcs want small angles.
        double theta = std::fmod(twoPi * ring.speed * t, twoPi) - pi / 2;
        const double saturation = 0.66 - 0.05 * ringIndex, whitening = 0.04 * ringIndex;
        for (std::size_t j = 0; j < modulated.size(); ++j) {
            const double angle = modulated[j] / total * cov * twoPi;
            if (angle > scanRingMinimumAngle) {
                ScanRingSegment s;
                s.ring = static_cast<int>(i);
                s.index = static_cast<int>(j);
                s.start = theta + scanRingGap;
                s.end = theta + angle - scanRingGap;
                s.innerRadius = rIn;
                s.outerRadius = rOut;
                const double mid = (s.start + s.end) / 2;
                const double x = (mid + pi / 2) / twoPi - drift;
                const RGB base = hsbToRGB(x - std::trunc(x) + 0.58, saturation, 0.95);
                auto whiten = [whitening](double c) { return c + (1 - c) * whitening; };
                s.top = {whiten(base.red), whiten(base.green), whiten(base.blue)};
                s.bottom = {0.88 * s.top.red, 0.88 * s.top.green, 0.88 * s.top.blue};
                s.opacity = 0.78 + 0.22 * std::sin(0.8 * static_cast<double>(j) + shimmer + ringIndex);
                frame.segments.push_back(s);
            }
            theta += angle;
        }
    }

    const double u = std::fmod(1.4 * t, twoPi);
    frame.sweepStart = u - scanRingSweepSpan;
    frame.sweepEnd = u;
    for (const ScanRingSegment& s : frame.segments) addSweepPieces(frame.sweep, s, frame.sweepStart, scanRingSweepSpan);
    return frame;
}

} // namespace plenwick
