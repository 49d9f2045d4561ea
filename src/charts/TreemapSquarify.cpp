#include "TreemapSquarify.h"

#include <algorithm>
#include <limits>

namespace plenwick {

namespace {

// A zero denominator counts as +∞, so degenerate rows never produce NaN.
double ratio(double numerator, double denominator) {
    return denominator == 0 ? std::numeric_limits<double>::infinity() : numerator / denominator;
}

// The worst aspect ratio of a row with area sum s, largest and smallest areas.
double worstRatio(double s, double largest, double smallest, double side2) {
    return std::max(ratio(side2 * largest, s * s), ratio(s * s, side2 * smallest));
}

} // namespace

std::vector<TreemapRect> squarify(std::span<const double> weights, const TreemapRect& rect) {
    const std::size_t n = weights.size();
    if (n == 0) return {};
    double total = 0;
    for (double w : weights) total += w;
    const double width = rect.width(), height = rect.height();
    if (!(total > 0) || !(width > 0) || !(height > 0))
        return std::vector<TreemapRect>(n, TreemapRect{rect.x0, rect.y0, rect.x0, rect.y0});

    const double perWeight = width * height / total;
    std::vector<double> areas(n);
    for (std::size_t i = 0; i < n; ++i) areas[i] = weights[i] * perWeight;

    std::vector<TreemapRect> out(n);
    double x = rect.x0, y = rect.y0;
    std::size_t i = 0;
    while (i < n) {
        const double freeW = rect.x1 - x, freeH = rect.y1 - y;
        const double side = std::min(freeW, freeH);
        const double side2 = side * side;

        double sum = areas[i], largest = areas[i], smallest = areas[i];
        double worst = worstRatio(sum, largest, smallest, side2);
        std::size_t end = i + 1;
        for (; end < n; ++end) {
            const double a = areas[end];
            const double longerWorst =
                worstRatio(sum + a, std::max(largest, a), std::min(smallest, a), side2);
            if (longerWorst > worst) break;
            sum += a;
            largest = std::max(largest, a);
            smallest = std::min(smallest, a);
            worst = longerWorst;
        }
        const bool lastRow = end == n;

        if (freeW >= freeH) {
            // A column at the left edge, items stacked from the top.
            const double right = lastRow ? rect.x1 : std::min(x + ratio(sum, freeH), rect.x1);
            const double columnWidth = right - x;
            double top = y;
            for (std::size_t k = i; k < end; ++k) {
                double bottom = top;
                if (columnWidth > 0) bottom = k + 1 == end ? rect.y1 : std::min(top + areas[k] / columnWidth, rect.y1);
                out[k] = {x, top, right, bottom};
                top = bottom;
            }
            x = right;
        } else {
            // A strip along the top edge, items running from the left.
            const double bottom = lastRow ? rect.y1 : std::min(y + ratio(sum, freeW), rect.y1);
            const double stripHeight = bottom - y;
            double left = x;
            for (std::size_t k = i; k < end; ++k) {
                double right = left;
                if (stripHeight > 0) right = k + 1 == end ? rect.x1 : std::min(left + areas[k] / stripHeight, rect.x1);
                out[k] = {left, y, right, bottom};
                left = right;
            }
            y = bottom;
        }
        i = end;
    }
    return out;
}

} // namespace plenwick
