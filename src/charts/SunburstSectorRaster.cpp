#include "charts/SunburstSectorRaster.h"

#include "charts/ParallelFor.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plenwick {

namespace {

constexpr double fullTurn = 0.99999;

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// The squared radius, or −1 for a radius that bounds nothing.
double squared(double r) { return r > 0 ? r * r : -1; }

} // namespace

SunburstSector::SunburstSector(double cx, double cy, double a0, double a1, double ri, double ro, double gap,
                               std::uint32_t color)
    : cx_(cx), cy_(cy), color_(color) {
    half_ = gap / 2;
    full_ = a1 - a0 >= fullTurn;
    outer_ = ro - half_;
    inner_ = full_ ? (ri > 0 ? ri + half_ : 0) : (ri > 0.5 ? ri + half_ : 0);
    if (!(outer_ > inner_) || !(a1 > a0)) {
        empty_ = true;
        return;
    }
    // No coverage beyond half a pixel outside an edge, full coverage half a pixel inside.
    outerOut2_ = squared(outer_ + 0.5);
    outerIn2_ = squared(outer_ - 0.5);
    innerOut2_ = inner_ > 0 ? squared(inner_ - 0.5) : -1;
    innerIn2_ = inner_ > 0 ? squared(inner_ + 0.5) : -1;

    const double theta0 = 2 * std::numbers::pi * a0, theta1 = 2 * std::numbers::pi * a1;
    if (!full_) {
        // Inside lies clockwise of the start edge and anticlockwise of the end edge.
        n0x_ = std::cos(theta0);
        n0y_ = std::sin(theta0);
        n1x_ = -std::cos(theta1);
        n1y_ = -std::sin(theta1);
        reflex_ = a1 - a0 > 0.5;
    }

    // The bounds of the sector before the gaps: its corners and the outer circle's
    // extremes that lie between its angles.
    double minX = cx, maxX = cx, minY = cy, maxY = cy;
    auto include = [&](double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    if (full_) {
        include(cx - ro, cy - ro);
        include(cx + ro, cy + ro);
    } else {
        minX = maxX = cx + std::sin(theta0) * ro;
        minY = maxY = cy - std::cos(theta0) * ro;
        include(cx + std::sin(theta1) * ro, cy - std::cos(theta1) * ro);
        const double r = ri > 0.5 ? ri : 0;
        include(cx + std::sin(theta0) * r, cy - std::cos(theta0) * r);
        include(cx + std::sin(theta1) * r, cy - std::cos(theta1) * r);
        for (int quarter = static_cast<int>(std::ceil(a0 * 4)); quarter < a1 * 4; ++quarter) {
            const double t = quarter * std::numbers::pi / 2;
            include(cx + std::sin(t) * ro, cy - std::cos(t) * ro);
        }
    }
    left_ = static_cast<int>(std::floor(minX)) - 1;
    right_ = static_cast<int>(std::ceil(maxX)) + 1;
    top_ = static_cast<int>(std::floor(minY)) - 1;
    bottom_ = static_cast<int>(std::ceil(maxY)) + 1;
}

// The share of a pixel, at squared distance r2 from the centre, that lies between the
// two radii: the overlap of the pixel's span [r − ½, r + ½] with them.
double SunburstSector::radial(double r2) const {
    if (r2 >= outerOut2_ || r2 <= innerOut2_) return 0;
    if (r2 <= outerIn2_ && r2 >= innerIn2_) return 1;
    const double r = std::sqrt(r2);
    const double high = std::min(outer_, r + 0.5);
    const double low = inner_ > 0 ? std::max(inner_, r - 0.5) : r - 0.5;
    return clamp01(high - low);
}

// The share that lies inside the straight edges, each edge counted by how far the
// pixel's centre lies inside it.
double SunburstSector::angular(double dx, double dy) const {
    if (full_) return 1;
    const double c0 = clamp01(n0x_ * dx + n0y_ * dy - half_ + 0.5);
    const double c1 = clamp01(n1x_ * dx + n1y_ * dy - half_ + 0.5);
    return reflex_ ? std::max(c0, c1) : std::max(0.0, c0 + c1 - 1);
}

double SunburstSector::coverage(double px, double py) const {
    if (empty_) return 0;
    const double dx = px - cx_, dy = py - cy_;
    const double r = radial(dx * dx + dy * dy);
    return r > 0 ? r * angular(dx, dy) : 0;
}

namespace {

// A stretch of a row by the horizontal offset of pixel centres from the centre.
struct Span {
    double lo, hi;
    bool isEmpty() const { return !(lo < hi); }
};
constexpr double unbounded = 1e300;

// Up to four stretches in order along the row.
struct Spans {
    Span items[4];
    int count = 0;
    void add(Span s) {
        if (!s.isEmpty() && count < 4) items[count++] = s;
    }
};

Spans intersect(const Spans& a, const Spans& b) {
    Spans out;
    for (int i = 0; i < a.count; ++i)
        for (int j = 0; j < b.count; ++j)
            out.add({std::max(a.items[i].lo, b.items[j].lo), std::min(a.items[i].hi, b.items[j].hi)});
    // Both inputs are ordered and disjoint, so ordering by start orders the result.
    for (int i = 1; i < out.count; ++i)
        for (int j = i; j > 0 && out.items[j].lo < out.items[j - 1].lo; --j) std::swap(out.items[j], out.items[j - 1]);
    return out;
}

// Where nx·dx + constant ≥ threshold along the row.
Span halfLine(double nx, double constant, double threshold) {
    if (std::abs(nx) < 1e-12) return constant >= threshold ? Span{-unbounded, unbounded} : Span{0, 0};
    const double bound = (threshold - constant) / nx;
    return nx > 0 ? Span{bound, unbounded} : Span{-unbounded, bound};
}

// Where |dx| lies in [inner, outer]: one stretch, or two either side of a hole.
Spans ring(double inner, double outer) {
    Spans out;
    if (!(outer > 0)) return out;
    if (inner > 0) {
        out.add({-outer, -inner});
        out.add({inner, outer});
    } else {
        out.add({-outer, outer});
    }
    return out;
}

} // namespace

void SunburstSector::fill(const SunburstPixels& pixels, int rowBegin, int rowEnd, double opacity) const {
    if (empty_ || !(opacity > 0)) return;
    const int y0 = std::max({rowBegin, top_, pixels.top}), y1 = std::min({rowEnd, bottom_, pixels.top + pixels.height});
    const int columnsBegin = std::max(left_, pixels.left), columnsEnd = std::min(right_, pixels.left + pixels.width);
    if (columnsBegin >= columnsEnd) return;
    const double weight = 255 * std::min(opacity, 1.0);
    const auto full = static_cast<std::uint32_t>(weight + 0.5);
    const std::uint32_t fullColor = sunburstScalePixel(color_, full);
    const bool opaque = full >= 255;
    auto root = [](double v) { return v > 0 ? std::sqrt(v) : 0.0; };

    for (int y = y0; y < y1; ++y) {
        const double dy = y + 0.5 - cy_;
        const double dy2 = dy * dy;
        if (dy2 >= outerOut2_) continue;
        const double k0 = n0y_ * dy - half_ + 0.5, k1 = n1y_ * dy - half_ + 0.5; // edge coverage − n·dx

        // Where the sector may cover pixels: inside the outer circle, outside the
        // hole, and (short of half a turn) inside both straight edges.
        Spans touched = ring(dy2 < innerOut2_ ? root(innerOut2_ - dy2) : 0, root(outerOut2_ - dy2));
        // Where it covers them whole: half a pixel inside every edge.
        Spans whole = ring(dy2 < innerIn2_ ? root(innerIn2_ - dy2) : 0, outerIn2_ > dy2 ? root(outerIn2_ - dy2) : 0);
        if (!full_) {
            Spans angularWhole;
            if (reflex_) {
                const Span a = halfLine(n0x_, k0, 1), b = halfLine(n1x_, k1, 1);
                if (a.lo <= b.lo) {
                    angularWhole.add(a);
                    angularWhole.add(b);
                } else {
                    angularWhole.add(b);
                    angularWhole.add(a);
                }
                if (angularWhole.count == 2 && angularWhole.items[1].lo <= angularWhole.items[0].hi) {
                    angularWhole.items[0].hi = std::max(angularWhole.items[0].hi, angularWhole.items[1].hi);
                    angularWhole.count = 1;
                }
            } else {
                const Span a = halfLine(n0x_, k0, 0), b = halfLine(n1x_, k1, 0);
                Spans inside;
                inside.add({std::max(a.lo, b.lo), std::min(a.hi, b.hi)});
                touched = intersect(touched, inside);
                const Span c = halfLine(n0x_, k0, 1), d = halfLine(n1x_, k1, 1);
                angularWhole.add({std::max(c.lo, d.lo), std::min(c.hi, d.hi)});
            }
            whole = intersect(whole, angularWhole);
        }

        std::uint32_t* row = pixels.bits + static_cast<std::ptrdiff_t>(y - pixels.top) * pixels.stride;
        const int shift = pixels.left; // from the picture's columns to the row's
        // The first column whose centre lies at or after an offset, and the column after
        // the last whose centre lies at or before one.
        const double first = columnsBegin, last = columnsEnd;
        auto columnsFrom = [&](double lo) { return std::clamp(std::ceil(cx_ + lo - 0.5), first, last); };
        auto columnsTo = [&](double hi) { return std::clamp(std::floor(cx_ + hi - 0.5) + 1, first, last); };
        auto edge = [&](int begin, int end) {
            for (int x = begin; x < end; ++x) {
                const double dx = x + 0.5 - cx_;
                const double r = radial(dx * dx + dy2);
                if (r <= 0) continue;
                const double share = r * angular(dx, dy);
                if (share <= 0) continue;
                const auto m = static_cast<std::uint32_t>(share * weight + 0.5);
                std::uint32_t& pixel = row[x - shift];
                if (m >= 255)
                    pixel = color_;
                else if (m)
                    pixel = sunburstBlendPixel(sunburstScalePixel(color_, m), pixel);
            }
        };
        int w = 0;                  // the next whole stretch
        int done = columnsBegin;    // columns before this one are drawn: stretches widened
                                    // by a pixel may meet across a narrow hole
        for (int t = 0; t < touched.count; ++t) {
            int x = std::max(done, static_cast<int>(columnsFrom(touched.items[t].lo - 1)));
            const int end = std::max(x, static_cast<int>(columnsTo(touched.items[t].hi + 1)));
            done = end;
            for (; w < whole.count && x < end; ++w) {
                const int wb = std::max(x, static_cast<int>(columnsFrom(whole.items[w].lo)));
                const int we = std::min(end, static_cast<int>(columnsTo(whole.items[w].hi)));
                if (wb >= we) {
                    if (whole.items[w].lo > touched.items[t].hi) break;
                    continue;
                }
                edge(x, wb);
                if (opaque)
                    std::fill(row + (wb - shift), row + (we - shift), color_);
                else
                    for (int i = wb - shift; i < we - shift; ++i) row[i] = sunburstBlendPixel(fullColor, row[i]);
                x = we;
            }
            edge(x, end);
        }
    }
}

void fillSunburstSectors(const SunburstPixels& pixels, const std::vector<SunburstSector>& sectors, double opacity) {
    if (sectors.empty() || pixels.width <= 0 || pixels.height <= 0) return;
    constexpr int bandRows = 24;
    const int bands = (pixels.height + bandRows - 1) / bandRows;
    parallelFor(static_cast<std::size_t>(bands), [&](std::size_t band) {
        const int top = pixels.top + static_cast<int>(band) * bandRows;
        const int bottom = std::min(top + bandRows, pixels.top + pixels.height);
        for (const SunburstSector& sector : sectors)
            if (sector.top() < bottom && sector.bottom() > top) sector.fill(pixels, top, bottom, opacity);
    });
}

} // namespace plenwick
