#pragma once
// Squarified rows: divides a rectangle into one rectangle per weight, with areas
// proportional to the weights and sides as close to square as the rows allow.

#include "charts/TreemapLayout.h"

#include <span>
#include <vector>

namespace plenwick {

// Rectangles in the order of the weights. With a total, width or height of zero,
// every rectangle is the empty one at the corner (x0, y0).
std::vector<TreemapRect> squarify(std::span<const double> weights, const TreemapRect& rect);

} // namespace plenwick
