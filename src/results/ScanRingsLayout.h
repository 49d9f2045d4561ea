#pragma once
// What the scan rings draw at a time t: four concentric rings of coloured segments
// that turn at their own speeds and breathe, a bright sweep travelling over the
// segments, and the hub. A pure function of t and the size of the drawing area, so
// that the same t always gives the same picture.
//
// Angles are radians from the positive x axis toward the positive y axis, which
// points down on screen: they grow clockwise, and −π/2 is 12 o'clock. Whole turns are
// dropped from the angles of the clock's large t; the picture is the same.

#include "scanner/Color.h"

#include <cstdint>
#include <vector>

namespace plenwick {

struct ScanRing {
    double inner = 0;             // inner radius, a fraction of the emblem's radius R
    double outer = 0;             // outer radius, a fraction of R
    std::vector<double> weights;  // one per segment
    double speed = 0;             // turns per second; the sign gives the direction
    double coverage = 1;          // part of the circle the segments cover before modulation
};

// `n` weights in 0.35 … 1.349 from the SplitMix64 generator, which advances `state`.
std::vector<double> makeScanRingWeights(int n, std::uint64_t& state);

// The four rings, built once: 6, 11, 17 and 24 segments fed by one generator that
// starts at 7 and runs on from ring to ring.
const std::vector<ScanRing>& scanRings();

// The part of the circle a ring's segments cover at t, at most the whole.
double scanRingCoverage(const ScanRing& ring, int index, double t);

struct ScanRingSegment {
    int ring = 0;
    int index = 0;
    double start = 0, end = 0;               // angles, start < end
    double innerRadius = 0, outerRadius = 0; // in the drawing area's units
    RGB top;                                 // colour at the top of the ring's outer circle
    RGB bottom;                              // and at its bottom: 0.88 of the top
    double opacity = 1;
};

// A piece of the sweep: the part of one segment that the travelling wedge covers.
struct ScanRingSweepPiece {
    double start = 0, end = 0;
    double innerRadius = 0, outerRadius = 0;
};

struct ScanRingsFrame {
    bool empty = true;            // too small to draw (R ≤ 4)
    double centreX = 0, centreY = 0;
    double radius = 0;            // R, half the smaller side
    double glowInnerRadius = 0;   // 0.2·R: the accent glow fades from here to R
    std::vector<ScanRingSegment> segments;
    double sweepStart = 0;        // the wedge runs from u − 0.9 to u = 1.4·t (whole turns dropped)
    double sweepEnd = 0;
    std::vector<ScanRingSweepPiece> sweep;
    double hubRadius = 0;         // 0.33·R
};

inline constexpr double scanRingGap = 0.011;         // taken off each end of a segment
inline constexpr double scanRingMinimumAngle = 0.033; // a segment this narrow or narrower is left out
inline constexpr double scanRingSweepSpan = 0.9;

ScanRingsFrame scanRingsFrame(double width, double height, double t, const std::vector<ScanRing>& rings = scanRings());

} // namespace plenwick
