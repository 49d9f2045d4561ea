// The rings' geometry at a time t: the generator, the breathing coverage, the turning
// directions, the narrow segments left out, the sweep and the hub.

#include "results/ScanRingsLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace plenwick {
namespace {

constexpr double pi = std::numbers::pi;

TEST(ScanRings, WeightsContinueFromRingToRing) {
    const auto& rings = scanRings();
    ASSERT_EQ(rings.size(), 4u);
    const std::vector<double> ring0 = {0.837, 1.154, 0.696, 0.553, 1.024, 0.655};
    ASSERT_EQ(rings[0].weights.size(), 6u);
    for (std::size_t i = 0; i < ring0.size(); ++i) EXPECT_NEAR(rings[0].weights[i], ring0[i], 0.0005) << i;
    EXPECT_NEAR(rings[1].weights[0], 1.148, 0.0005);
    EXPECT_EQ(rings[1].weights.size(), 11u);
    EXPECT_EQ(rings[2].weights.size(), 17u);
    EXPECT_EQ(rings[3].weights.size(), 24u);
    for (const ScanRing& ring : rings)
        for (double w : ring.weights) {
            EXPECT_GE(w, 0.35);
            EXPECT_LE(w, 1.349 + 1e-12);
        }
    std::uint64_t state = 7;
    EXPECT_TRUE(makeScanRingWeights(0, state).empty());
    EXPECT_EQ(state, 7u) << "no weights, no step";
}

TEST(ScanRings, CoverageBreathes) {
    const auto& rings = scanRings();
    // Ring 0 is whole whenever its sine term is not negative.
    for (double t = 0; t < 30; t += 0.37) {
        const double sine = std::sin(0.45 * t);
        if (sine >= 0) {
            EXPECT_DOUBLE_EQ(scanRingCoverage(rings[0], 0, t), 1.0) << t;
        }
        EXPECT_LE(scanRingCoverage(rings[2], 2, t), 0.90 + 1e-12);
        EXPECT_LE(scanRingCoverage(rings[3], 3, t), 0.70 + 1e-12);
    }
    // Ring 1 closes only near the peak of its sine.
    const double peak = (pi / 2 - 1.3) / 0.45;
    EXPECT_DOUBLE_EQ(scanRingCoverage(rings[1], 1, peak), 1.0);
    EXPECT_LT(scanRingCoverage(rings[1], 1, peak + 3), 1.0);
}

TEST(ScanRings, NothingForATinyArea) {
    EXPECT_TRUE(scanRingsFrame(8, 100, 3).empty);
    EXPECT_TRUE(scanRingsFrame(100, 8, 3).empty);
    EXPECT_TRUE(scanRingsFrame(0, 0, 3).segments.empty());
    EXPECT_FALSE(scanRingsFrame(9, 9, 3).empty);
}

TEST(ScanRings, FrameGeometry) {
    const ScanRingsFrame f = scanRingsFrame(300, 280, 12.5);
    ASSERT_FALSE(f.empty);
    EXPECT_DOUBLE_EQ(f.radius, 140);
    EXPECT_DOUBLE_EQ(f.centreX, 150);
    EXPECT_DOUBLE_EQ(f.centreY, 140);
    EXPECT_DOUBLE_EQ(f.glowInnerRadius, 28);
    EXPECT_LE(f.segments.size(), 58u);
    // The hub covers the middle, inside ring 0.
    EXPECT_NEAR(f.hubRadius, 0.33 * 140, 1e-9);
    EXPECT_LT(f.hubRadius, 0.36 * 140);
    for (const ScanRingSegment& s : f.segments) {
        const ScanRing& ring = scanRings()[static_cast<std::size_t>(s.ring)];
        EXPECT_DOUBLE_EQ(s.innerRadius, ring.inner * 140);
        EXPECT_DOUBLE_EQ(s.outerRadius, ring.outer * 140);
        EXPECT_GT(s.end, s.start);
        EXPECT_GE(s.opacity, 0.56 - 1e-12);
        EXPECT_LE(s.opacity, 1.0 + 1e-12);
        EXPECT_NEAR(s.bottom.red, 0.88 * s.top.red, 1e-12);
        // Outer rings are paler: whitened by 4 % per ring.
        const double lowest = std::min({s.top.red, s.top.green, s.top.blue});
        EXPECT_GE(lowest, 0.04 * s.ring - 1e-9);
    }
    // Within a ring the segments follow each other clockwise with gaps, within the coverage.
    for (int r = 0; r < 4; ++r) {
        double previousEnd = -1e9, first = 0, last = 0;
        bool any = false;
        for (const ScanRingSegment& s : f.segments) {
            if (s.ring != r) continue;
            if (!any) first = s.start;
            EXPECT_GE(s.start, previousEnd + 2 * scanRingGap - 1e-9);
            previousEnd = last = s.end;
            any = true;
        }
        ASSERT_TRUE(any);
        EXPECT_LE(last - first, scanRingCoverage(scanRings()[std::size_t(r)], r, 12.5) * 2 * pi);
    }
}

TEST(ScanRings, TheClocksLargeTimesGiveSmallAngles) {
    // The clock's times are near 10⁹ seconds; the arcs still get angles within a turn or two.
    const ScanRingsFrame f = scanRingsFrame(280, 280, 7.9e8);
    for (const ScanRingSegment& s : f.segments) {
        EXPECT_LT(std::abs(s.start), 4 * pi);
        EXPECT_LT(std::abs(s.end), 4 * pi);
    }
    EXPECT_LT(std::abs(f.sweepEnd), 2 * pi);
}

TEST(ScanRings, RingsTurnInAlternateDirections) {
    auto startOf = [](int ring, double t) {
        const ScanRingsFrame f = scanRingsFrame(280, 280, t);
        for (const ScanRingSegment& s : f.segments)
            if (s.ring == ring && s.index == 0) return s.start;
        return std::nan("");
    };
    // At t = 0 the first segment starts at 12 o'clock (plus the gap).
    EXPECT_NEAR(startOf(0, 0), -pi / 2 + scanRingGap, 1e-12);
    // Over a short step the first segment's start moves by 2π·speed·dt.
    const double dt = 0.01;
    EXPECT_GT(startOf(0, 10 + dt), startOf(0, 10));
    EXPECT_LT(startOf(1, 10 + dt), startOf(1, 10));
    EXPECT_GT(startOf(2, 10 + dt), startOf(2, 10));
    EXPECT_LT(startOf(3, 10 + dt), startOf(3, 10));
}

TEST(ScanRings, ANarrowSegmentIsLeftOutAndTheOthersKeepTheirPlaces) {
    ScanRing ring{0.5, 0.9, {1.0, 0.001, 1.0}, 0, 1.0};
    const ScanRingsFrame f = scanRingsFrame(200, 200, 0, {ring});
    ASSERT_EQ(f.segments.size(), 2u);
    EXPECT_EQ(f.segments[0].index, 0);
    EXPECT_EQ(f.segments[1].index, 2);
    // Segment 2 starts where it would have with segment 1 drawn.
    double total = 0, angles[3];
    for (int j = 0; j < 3; ++j) total += ring.weights[std::size_t(j)] * (1 + 0.38 * std::sin(1.7 * j));
    for (int j = 0; j < 3; ++j) angles[j] = ring.weights[std::size_t(j)] * (1 + 0.38 * std::sin(1.7 * j)) / total * 2 * pi;
    EXPECT_NEAR(f.segments[1].start, -pi / 2 + angles[0] + angles[1] + scanRingGap, 1e-12);
    // A ring without weights draws nothing.
    EXPECT_TRUE(scanRingsFrame(200, 200, 0, {ScanRing{0.5, 0.9, {}, 0, 1}}).segments.empty());
}

TEST(ScanRings, TheSweepLightsOnlyTheSegments) {
    for (double t : {0.0, 3.3, 17.9, 123.4, 7.9e8}) {
        const ScanRingsFrame f = scanRingsFrame(280, 280, t);
        EXPECT_NEAR(std::remainder(f.sweepEnd - 1.4 * t, 2 * pi), 0, 1e-6);
        EXPECT_NEAR(f.sweepEnd - f.sweepStart, 0.9, 1e-9);
        ASSERT_FALSE(f.sweep.empty()) << t;
        for (const ScanRingSweepPiece& p : f.sweep) {
            // Inside the wedge …
            EXPECT_GE(p.start, f.sweepStart - 1e-9);
            EXPECT_LE(p.end, f.sweepEnd + 1e-9);
            // … and inside one segment of the same ring, a whole turn apart at most.
            bool inside = false;
            for (const ScanRingSegment& s : f.segments) {
                if (s.innerRadius != p.innerRadius) continue;
                const double shift = std::round((p.start - s.start) / (2 * pi)) * 2 * pi;
                const double a = s.start + shift, b = s.end + shift;
                for (double k : {-2 * pi, 0.0, 2 * pi})
                    inside |= p.start >= a + k - 1e-9 && p.end <= b + k + 1e-9;
            }
            EXPECT_TRUE(inside) << t;
        }
    }
}

} // namespace
} // namespace plenwick
