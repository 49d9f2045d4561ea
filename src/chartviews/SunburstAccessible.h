#pragma once
// The sunburst as assistive technology sees it: one image element named by the
// chart's description, with a "Zoom Out" action; its layers stay hidden.

namespace plenwick {

// Registers the accessible interface of SunburstView with Qt (once per process).
void installSunburstAccessibleFactory();

} // namespace plenwick
