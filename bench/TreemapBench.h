#pragma once
// The treemap view's timings on a loaded state, offscreen, for plenwick-ui-bench.

#include <string>

namespace plenwick {

class AppState;

namespace bench {

// Runs a treemap view whose chart is 1280 × 820 points on `state`'s tree and returns
// the key=value figures:
//   treemap_pipeline_ms  focus moved to the root → layout, shading and first paint done
//   treemap_resize_ms    the resize pause over → the picture of the new size on screen
//   treemap_hover_ms     a pointer move over a cell → outlines and status line repainted
//                        (median of many moves)
//   treemap_cells        cells of the root's layout
// Each is the best of `runs`.
std::string treemapFigures(AppState& state, int runs);

} // namespace bench
} // namespace plenwick
