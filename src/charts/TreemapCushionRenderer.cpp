#include "charts/TreemapCushionRenderer.h"

#include "base/ProcessorCount.h"
#include "charts/ParallelFor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plenwick {

namespace {

// 0 at or below 0, else min(c, 1)·255 rounded half up; written without branches
// (0·255 + 0.5 truncates to 0) so the pixel loop stays straight.
std::uint8_t channelByte(double c) {
    return static_cast<std::uint8_t>(std::min(std::max(c, 0.0), 1.0) * 255.0 + 0.5);
}

int roundedClamped(double v, int limit) {
    const double r = std::round(v);
    if (!(r > 0)) return 0;
    return r >= limit ? limit : static_cast<int>(r);
}

// A channel that overflows spills into the others, towards white, instead of
// clipping alone and shifting the hue. Without overflow t is 0 and nothing moves.
void spillOverflow(double& r, double& g, double& b) {
    const double over = std::max(r - 1, 0.0) + std::max(g - 1, 0.0) + std::max(b - 1, 0.0);
    r = std::min(r, 1.0);
    g = std::min(g, 1.0);
    b = std::min(b, 1.0);
    const double room = 3 - (r + g + b);
    const double t = over > 0 && room > 0 ? std::min(over / std::max(room, 1e-300), 1.0) : 0.0;
    r += (1 - r) * t;
    g += (1 - g) * t;
    b += (1 - b) * t;
}

// Shades the leaves dealt to one worker: positions worker, worker + workers, …
void renderWorker(std::size_t worker, std::span<const std::int32_t> leaves, const TreemapCancelFlag* flag,
                  std::span<const TreemapCell> cells,
                  std::span<const TreemapCushionRenderer::Coefficients> coefficients,
                  double scale, const TreemapCushionRenderer::Vector3& light,
                  const TreemapCushionRenderer::Parameters& parameters, TreemapBitmap& bitmap, std::size_t workers) {
    for (std::size_t p = worker; p < leaves.size(); p += workers) {
        if (flag && flag->isSet()) return;
        const auto i = static_cast<std::size_t>(leaves[p]);
        TreemapCushionRenderer::shadeCell(coefficients[i], cells[i], scale, light, parameters, bitmap);
    }
}

} // namespace

std::vector<TreemapCushionRenderer::Coefficients>
TreemapCushionRenderer::cushionCoefficients(double scale, std::span<const TreemapCell> cells,
                                            const Parameters& parameters) {
    std::vector<double> heights{parameters.height};
    std::vector<Coefficients> out(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const TreemapCell& cell = cells[i];
        Coefficients k = cell.parent >= 0 ? out[static_cast<std::size_t>(cell.parent)] : Coefficients{};
        const auto depth = static_cast<std::size_t>(std::max(cell.depth, 0));
        while (heights.size() <= depth) heights.push_back(heights.back() * parameters.decay);
        const double h = heights[depth];
        const double x0 = cell.rect.x0 * scale, x1 = cell.rect.x1 * scale;
        if (x0 < x1) {
            const double s = 4 * h / (x1 - x0);
            k.ax -= s;
            k.bx += (x0 + x1) * s;
        }
        const double y0 = cell.rect.y0 * scale, y1 = cell.rect.y1 * scale;
        if (y0 < y1) {
            const double s = 4 * h / (y1 - y0);
            k.ay -= s;
            k.by += (y0 + y1) * s;
        }
        out[i] = k;
    }
    return out;
}

void TreemapCushionRenderer::shadeCell(const Coefficients& k, const TreemapCell& cell, double scale,
                                       const Vector3& light, const Parameters& parameters, TreemapBitmap& bitmap) {
    const int left = roundedClamped(cell.rect.x0 * scale, bitmap.width);
    const int right = roundedClamped(cell.rect.x1 * scale, bitmap.width);
    const int top = roundedClamped(cell.rect.y0 * scale, bitmap.height);
    const int bottom = roundedClamped(cell.rect.y1 * scale, bitmap.height);
    if (bottom < 1 || left >= right || top >= bottom) return;

    const double red = parameters.gain * cell.color.r;
    const double green = parameters.gain * cell.color.g;
    const double blue = parameters.gain * cell.color.b;
    const double ambient = parameters.ambient;
    const double lx = light[0], ly = light[1], lz = light[2];

    const bool collected = cell.collected;
    const double fade = std::clamp(parameters.collectedFade, 0.0, 1.0);
    const double keep = 1 - fade;
    const double fadeR = fade * parameters.background[0];
    const double fadeG = fade * parameters.background[1];
    const double fadeB = fade * parameters.background[2];
    const double period = std::max(parameters.hatchSpacing * scale, 1.0);
    const double halfWidth = parameters.hatchWidth * scale * 0.5;
    const double ink = std::clamp(parameters.hatchInk, 0.0, 1.0);

    // The light is computed a run of pixels at a time in a loop the compiler can
    // vectorise; colouring follows in a second loop.
    constexpr int run = 256;
    double shade[run];
    for (int j = top; j < bottom; ++j) {
        const double ny = 2 * k.ay * (j + 0.5) + k.by;
        const double lightY = lz - ny * ly;
        const double ny2 = ny * ny + 1;
        std::uint8_t* px = bitmap.bytes() + static_cast<std::size_t>(j) * bitmap.stride +
                           static_cast<std::size_t>(left) * 4;
        for (int first = left; first < right; first += run) {
            const int count = std::min(run, right - first);
            for (int n = 0; n < count; ++n) {
                const double nx = 2 * k.ax * (first + n + 0.5) + k.bx;
                const double c = (lightY - nx * lx) / std::sqrt(nx * nx + ny2);
                shade[n] = ambient + (1 - ambient) * std::max(c, 0.0);
            }
            for (int n = 0; n < count; ++n, px += 4) {
                const double s = shade[n];
                double r = red * s, g = green * s, b = blue * s;
                if (collected) {
                    const double d = std::fmod(static_cast<double>(first + n + j + 1), period);
                    const double e = std::min(d, period - d);
                    const double coverage = std::clamp(halfWidth + 0.5 - e * 0.7071067811865476, 0.0, 1.0);
                    const double m = 1 - coverage * ink;
                    r = (r * keep + fadeR) * m;
                    g = (g * keep + fadeG) * m;
                    b = (b * keep + fadeB) * m;
                }
                spillOverflow(r, g, b);
                px[0] = channelByte(r);
                px[1] = channelByte(g);
                px[2] = channelByte(b);
                px[3] = 255;
            }
        }
    }
}

std::optional<TreemapBitmap> TreemapCushionRenderer::render(std::span<const TreemapCell> cells,
                                                            const Parameters& parameters,
                                                            const TreemapCancelFlag* flag, TreemapSize size,
                                                            double scale, unsigned threadLimit) {
    const double pixelWidth = std::round(size.width * scale);
    const double pixelHeight = std::round(size.height * scale);
    // An empty size, or one no bitmap could hold, gives no image.
    constexpr double maxPixels = 1 << 15;
    if (!(pixelWidth > 0) || !(pixelHeight > 0) || pixelWidth > maxPixels || pixelHeight > maxPixels)
        return std::nullopt;

    TreemapBitmap bitmap;
    bitmap.width = static_cast<int>(pixelWidth);
    bitmap.height = static_cast<int>(pixelHeight);
    bitmap.stride = static_cast<std::size_t>(bitmap.width) * 4;
    bitmap.scale = scale;
    const std::uint8_t background[4] = {channelByte(parameters.background[0]), channelByte(parameters.background[1]),
                                        channelByte(parameters.background[2]), 255};
    std::uint32_t backgroundWord;
    std::memcpy(&backgroundWord, background, 4);
    bitmap.words.assign(static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height),
                        backgroundWord);

    const std::vector<Coefficients> coefficients = cushionCoefficients(scale, cells, parameters);
    std::vector<std::int32_t> leaves;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i].childCount == 0) leaves.push_back(static_cast<std::int32_t>(i));
    if (flag && flag->isSet()) return std::nullopt;

    Vector3 light = parameters.light;
    const double length2 = light[0] * light[0] + light[1] * light[1] + light[2] * light[2];
    if (length2 > 0) {
        const double length = std::sqrt(length2);
        for (double& v : light) v /= length;
    } else {
        light = {0, 0, 1};
    }

    const std::size_t workers =
        std::max<std::size_t>(1, std::min<std::size_t>(4 * std::size_t{availableProcessors()}, leaves.size()));
    parallelFor(
        workers,
        [&](std::size_t worker) {
            renderWorker(worker, leaves, flag, cells, coefficients, scale, light, parameters, bitmap, workers);
        },
        threadLimit);
    if (flag && flag->isSet()) return std::nullopt;
    return bitmap;
}

} // namespace plenwick
