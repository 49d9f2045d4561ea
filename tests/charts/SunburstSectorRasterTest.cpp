// The sunburst's own arc fills: coverage inside, outside and across each kind of edge,
// the gaps between neighbours, the shapes a sector can take, and pictures that stay
// the same however their rows are shared out.
#include "charts/SunburstSectorRaster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace plenwick;

namespace {

constexpr std::uint32_t black = 0xff000000, white = 0xffffffff;

struct Picture {
    int width, height;
    std::vector<std::uint32_t> words;
    Picture(int w, int h, std::uint32_t fill = black)
        : width(w), height(h), words(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}
    SunburstPixels pixels() { return {words.data(), width, height, width}; }
    std::uint32_t at(int x, int y) const { return words[static_cast<std::size_t>(y) * width + x]; }
    // White over black: the red channel is the coverage.
    double share(int x, int y) const { return ((at(x, y) >> 16) & 0xff) / 255.0; }
};

// The pixel whose centre lies nearest to the point at an angular fraction and radius.
std::pair<int, int> pixelAt(double cx, double cy, double fraction, double r) {
    const double theta = 2 * std::numbers::pi * fraction;
    return {static_cast<int>(std::floor(cx + std::sin(theta) * r)),
            static_cast<int>(std::floor(cy - std::cos(theta) * r))};
}

Picture draw(const SunburstSector& sector, int size = 128, double opacity = 1) {
    Picture picture(size, size);
    sector.fill(picture.pixels(), 0, size, opacity);
    return picture;
}

} // namespace

TEST(SunburstSectorRaster, FillsInsideLeavesOutsideAndBlendsEveryEdge) {
    // A quarter from 12 to 3 o'clock whose start edge runs up through the middle of
    // column 64, so that column is half covered.
    const double cx = 64.5, cy = 64;
    const SunburstSector quarter(cx, cy, 0, 0.25, 20, 50, 0, white);
    const Picture p = draw(quarter);
    auto share = [&](double fraction, double r) {
        const auto [x, y] = pixelAt(cx, cy, fraction, r);
        return p.share(x, y);
    };
    EXPECT_EQ(share(0.125, 35), 1);
    EXPECT_EQ(share(0.125, 55), 0);  // beyond the outer circle
    EXPECT_EQ(share(0.125, 15), 0);  // in the hole
    EXPECT_EQ(share(0.625, 35), 0);  // the opposite quarter
    EXPECT_EQ(p.at(0, 0), black);
    EXPECT_NEAR(p.share(64, 30), 0.5, 0.01); // on the straight start edge
    EXPECT_EQ(p.share(63, 30), 0);
    EXPECT_EQ(p.share(65, 30), 1);
    // Across the outer circle the coverage falls through the values between, not in a step.
    int between = 0;
    for (int y = 20; y < 40; ++y) {
        const double s = p.share(100, y);
        between += s > 0.05 && s < 0.95;
    }
    EXPECT_GE(between, 1);
    // The colour goes in premultiplied, opaque where the sector covers the pixel whole.
    const Picture red = draw(SunburstSector(cx, cy, 0, 0.25, 20, 50, 0, 0xffcc2211));
    const auto [x, y] = pixelAt(cx, cy, 0.125, 35);
    EXPECT_EQ(red.at(x, y), 0xffcc2211u);
}

TEST(SunburstSectorRaster, NeighboursWithoutAGapMeetWithoutSeamOrOverlap) {
    // Two arcs sharing an edge cover every pixel along it exactly as one arc over both.
    const double cx = 60.3, cy = 61.7;
    const SunburstSector first(cx, cy, 0.05, 0.3, 10, 50, 0, white), second(cx, cy, 0.3, 0.7, 10, 50, 0, white);
    const SunburstSector both(cx, cy, 0.05, 0.7, 10, 50, 0, white);
    double worst = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            worst = std::max(worst, std::abs(first.coverage(px, py) + second.coverage(px, py) - both.coverage(px, py)));
        }
    EXPECT_LT(worst, 0.02);
}

TEST(SunburstSectorRaster, GapsShowTheBackgroundBetweenNeighboursAndRings) {
    const double cx = 64, cy = 64;
    // A 4-pixel gap: 2 off each edge.
    const SunburstSector left(cx, cy, 0, 0.25, 20, 50, 4, white), right(cx, cy, 0.25, 0.5, 20, 50, 4, white);
    Picture p(128, 128);
    left.fill(p.pixels(), 0, 128);
    right.fill(p.pixels(), 0, 128);
    // The shared edge at 3 o'clock runs along row 64's top: rows 62 to 65 stay clear.
    for (int y = 62; y <= 65; ++y) EXPECT_EQ(p.at(100, y), black) << y;
    EXPECT_EQ(p.share(100, 60), 1);
    EXPECT_EQ(p.share(100, 68), 1);
    // The outer and inner circles move in by the same 2 pixels.
    const auto [ox, oy] = pixelAt(cx, cy, 0.125, 49.5);
    EXPECT_EQ(p.at(ox, oy), black);
    const auto [ix, iy] = pixelAt(cx, cy, 0.125, 20.5);
    EXPECT_EQ(p.at(ix, iy), black);
    const auto [mx, my] = pixelAt(cx, cy, 0.125, 35);
    EXPECT_EQ(p.share(mx, my), 1);
    // A sector narrower than its gap leaves nothing.
    const SunburstSector thin(cx, cy, 0.1, 0.1 + 1.0 / (2 * std::numbers::pi * 50), 20, 50, 4, white);
    const Picture none = draw(thin);
    for (std::uint32_t word : none.words) ASSERT_EQ(word, black);
}

TEST(SunburstSectorRaster, RingsSlicesAndArcsOfMoreThanHalfATurn) {
    const double cx = 64, cy = 64;
    // A whole turn is a ring around an open centre.
    const Picture ring = draw(SunburstSector(cx, cy, 0, 1, 20, 40, 0, white));
    EXPECT_EQ(ring.at(64, 64), black);
    for (double f : {0.0, 0.2, 0.5, 0.8}) {
        const auto [x, y] = pixelAt(cx, cy, f, 30);
        EXPECT_EQ(ring.share(x, y), 1) << f;
    }
    // An inner radius of half a pixel or less closes the arc through the centre.
    const Picture slice = draw(SunburstSector(cx, cy, 0, 0.25, 0.4, 40, 0, white));
    const auto [sx, sy] = pixelAt(cx, cy, 0.125, 3);
    EXPECT_EQ(slice.share(sx, sy), 1);
    // More than half a turn: inside either edge, not both.
    const Picture wide = draw(SunburstSector(cx, cy, 0.1, 0.9, 10, 40, 0, white));
    for (double f : {0.15, 0.3, 0.5, 0.7, 0.85}) {
        const auto [x, y] = pixelAt(cx, cy, f, 25);
        EXPECT_EQ(wide.share(x, y), 1) << f;
    }
    for (double f : {0.0, 0.05, 0.95}) {
        const auto [x, y] = pixelAt(cx, cy, f, 25);
        EXPECT_EQ(wide.share(x, y), 0) << f;
    }
}

TEST(SunburstSectorRaster, EachPixelIsDrawnOnceWithItsCoverageAndOnlyWithinTheBounds) {
    std::vector<SunburstSector> sectors;
    for (double a0 : {0.0, 0.2, 0.45, 0.7, 0.9})
        for (double width : {0.01, 0.2, 0.6, 1.0})
            sectors.emplace_back(64.3, 63.6, a0, std::min(1.0, a0 + width), 12, 55, 0.6, white);
    // Row 52 grazes the top of this one's hole, leaving a hole narrower than a pixel
    // between stretches of the row on either side.
    sectors.emplace_back(64, 64, 0, 1, 11.7001, 55, 0.6, white);
    for (const SunburstSector& s : sectors) {
        const Picture p = draw(s);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                if (p.at(x, y) != black) {
                    ASSERT_TRUE(x >= s.left() && x < s.right() && y >= s.top() && y < s.bottom()) << x << "," << y;
                    ASSERT_NEAR(p.share(x, y), s.coverage(x + 0.5, y + 0.5), 1.0 / 255 + 1e-9) << x << "," << y;
                }
    }
}

TEST(SunburstSectorRaster, OpacityWeighsTheColour) {
    const Picture p = draw(SunburstSector(64, 64, 0, 0.5, 10, 50, 0, white), 128, 0.5);
    const auto [x, y] = pixelAt(64, 64, 0.25, 30);
    EXPECT_NEAR(p.share(x, y), 0.5, 0.01);
    EXPECT_EQ(p.at(x, y) >> 24, 0xffu); // laid over an opaque picture, it stays opaque
}

TEST(SunburstSectorRaster, BandsOnThePoolAndPartsOfThePictureGiveTheSamePixels) {
    // Rings of neighbouring arcs in many colours, as a scene draws them.
    std::vector<SunburstSector> sectors;
    const double cx = 150.25, cy = 99.75;
    std::uint32_t colour = 0xff102030;
    for (int ring = 0; ring < 6; ++ring) {
        const int arcs = 3 << ring;
        for (int i = 0; i < arcs; ++i) {
            colour = colour * 1664525u + 1013904223u;
            sectors.emplace_back(cx, cy, double(i) / arcs, double(i + 1) / arcs, 15.0 + 14 * ring, 29.0 + 14 * ring,
                                 0.6, colour | 0xff000000);
        }
    }
    Picture serial(300, 200, 0), banded(300, 200, 0);
    for (const SunburstSector& s : sectors) s.fill(serial.pixels(), 0, 200, 0.8);
    fillSunburstSectors(banded.pixels(), sectors, 0.8);
    EXPECT_EQ(serial.words, banded.words);

    // A window of the picture, addressed in the picture's coordinates.
    const int left = 40, top = 30, width = 90, height = 70;
    std::vector<std::uint32_t> part(static_cast<std::size_t>(width) * height, 0);
    fillSunburstSectors({part.data(), width, height, width, left, top}, sectors, 0.8);
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            differing += part[static_cast<std::size_t>(y) * width + x] != serial.at(left + x, top + y);
    EXPECT_EQ(differing, 0);
}
