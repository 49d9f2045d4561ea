#include "charts/TreemapSquarify.h"

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

// Places the row of items [first, end) against the free rectangle's edge at `edge`
// (moving towards `edgeLimit`), spreading them over the span from `spanStart` to
// `spanEnd`: a column when `vertical`, else a strip. The row's last item ends
// exactly at the span's end; a row of no thickness gives its items no length.
// Afterwards `edge` is the row's far side.
void placeRow(const std::vector<double>& areas, std::size_t first, std::size_t end, double sum, bool lastRow,
              double& edge, double edgeLimit, double spanStart, double spanEnd, bool vertical,
              std::vector<TreemapRect>& out) {
    const double far = lastRow ? edgeLimit : std::min(edge + ratio(sum, spanEnd - spanStart), edgeLimit);
    const double thickness = far - edge;
    double position = spanStart;
    for (std::size_t k = first; k < end; ++k) {
        double next = position;
        if (thickness > 0) next = k + 1 == end ? spanEnd : std::min(position + areas[k] / thickness, spanEnd);
        out[k] = vertical ? TreemapRect{edge, position, far, next} : TreemapRect{position, edge, next, far};
        position = next;
    }
    edge = far;
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

        if (freeW >= freeH)
            placeRow(areas, i, end, sum, lastRow, x, rect.x1, y, rect.y1, true, out); // a column at the left edge
        else
            placeRow(areas, i, end, sum, lastRow, y, rect.y1, x, rect.x1, false, out); // a strip along the top
        i = end;
    }
    return out;
}

} // namespace plenwick
