#pragma once
// Times the scan-progress screen's animation in a 1280 × 820 window, for the UI
// benchmark: one frame of the rings (the region the rings' timer repaints: the
// screen's background there, the rings and the logo) and, for comparison, the whole
// screen. Needs a QApplication; the state is best in the scanning phase.

#include <QtGlobal>

namespace plenwick {

class AppState;

namespace bench {

struct ProgressFrameTimes {
    double ringsFrameMs = 0;   // progress_frame_ms: median over the frames
    double wholeScreenMs = 0;  // the whole screen drawn once, median
};

// Draws `frames` successive frames (one 60th of a second apart) at `scale` device
// pixels per point.
ProgressFrameTimes measureProgressFrames(AppState& state, qreal scale = 1.0, int frames = 120);

} // namespace bench
} // namespace plenwick
