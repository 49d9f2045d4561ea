#pragma once
// Antialiased fills of the sunburst's arcs, written straight into 32-bit premultiplied
// pixels (0xAARRGGBB words, the layout of QImage's ARGB32_Premultiplied), a band of
// rows at a time, so the rows of one picture can be filled on several threads.
//
// A general rasteriser walks each arc's curved outline; the coverage of an annular
// sector is a few multiplications per pixel (how far the pixel's centre lies inside
// each of its four edges), which makes smooth edges cheap enough for every frame of
// a zoom.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenwick {

// A rectangle of pixels of a larger picture, addressed in the picture's coordinates.
struct SunburstPixels {
    std::uint32_t* bits = nullptr; // the pixel at (left, top)
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // pixels from one row to the next
    int left = 0;
    int top = 0;
};

// d·m/255 for each channel of a premultiplied pixel, rounded.
inline std::uint32_t sunburstScalePixel(std::uint32_t p, std::uint32_t m) {
    std::uint32_t rb = (p & 0xff00ff) * m;
    std::uint32_t ag = ((p >> 8) & 0xff00ff) * m;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

// `source` (premultiplied) over `destination`.
inline std::uint32_t sunburstBlendPixel(std::uint32_t source, std::uint32_t destination) {
    return source + sunburstScalePixel(destination, 255 - (source >> 24));
}

// The fill of one arc in device pixels: the sector between the angular fractions
// a0 < a1 (clockwise from 12 o'clock) and the radii ri < ro around the centre, with
// half of `gap` cut from each edge so the background shows between neighbours. It is
// a full ring when it covers the turn, and closed through the centre when ri is 0.5
// or less.
class SunburstSector {
public:
    SunburstSector(double cx, double cy, double a0, double a1, double ri, double ro, double gap, std::uint32_t color);

    // Nothing is left once the gaps are cut.
    bool isEmpty() const noexcept { return empty_; }
    // The pixels it may touch: columns [left, right), rows [top, bottom).
    int left() const noexcept { return left_; }
    int right() const noexcept { return right_; }
    int top() const noexcept { return top_; }
    int bottom() const noexcept { return bottom_; }

    // The share of the pixel centred at (px, py) that it covers, 0…1.
    double coverage(double px, double py) const;

    // Lays its colour over rows [rowBegin, rowEnd) of `pixels` (picture coordinates),
    // each pixel weighted by its coverage times `opacity`.
    void fill(const SunburstPixels& pixels, int rowBegin, int rowEnd, double opacity = 1) const;

private:
    double radial(double r2) const;
    double angular(double dx, double dy) const;

    double cx_, cy_;
    double outer_, inner_; // radii after the gaps; inner_ 0 for a slice through the centre
    double outerOut2_, outerIn2_, innerOut2_, innerIn2_; // squared radii of full and no coverage
    bool full_ = false;    // a whole ring: no straight edges
    bool reflex_ = false;  // more than half a turn: inside either edge rather than both
    double n0x_ = 0, n0y_ = 0, n1x_ = 0, n1y_ = 0; // inward normals of the straight edges
    double half_ = 0;      // how far the straight edges move inwards
    std::uint32_t color_;
    bool empty_ = false;
    int left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
};

// Lays the sectors over `pixels` in order, at `opacity`, in bands of rows on the
// shared pool. A pixel belongs to one band and meets its sectors in their order, so
// the picture is the same however the bands are shared out.
void fillSunburstSectors(const SunburstPixels& pixels, const std::vector<SunburstSector>& sectors, double opacity = 1);

} // namespace plenwick
