#pragma once
// The sunburst's drawing times on a loaded state, for plenwick-ui-bench.

#include <string>

namespace plenwick {

class AppState;

// "sunburst_paint_ms=… sunburst_frame_ms=… sunburst_hover_ms=… sunburst_pointer_hover_ms=…":
// a full repaint of the focus at 1280×820 and 1×; the slowest frame of a zoom into the
// largest folder, the zoom back out and a crossfade to another colour mode; a hover
// change set in the state; and the same hover change by the pointer moving between
// two arcs. Each is the best of several runs. Leaves the focus and colour mode as
// they were.
std::string sunburstFigures(AppState& state);

} // namespace plenwick
