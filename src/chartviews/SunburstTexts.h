#pragma once
// The sunburst's texts for assistive technology and its help tag.

#include "charts/SunburstLayout.h"

#include <QString>

namespace plenwick {

// The help tag of the hidden-space arc.
QString sunburstHiddenSpaceToolTip();

// The name of the chart's one accessibility action.
QString sunburstZoomOutActionName();

// "Sunburst chart of <focus>, <size>." with the five largest items of the inner ring
// and the hidden space.
QString sunburstAccessibilityLabel(const SunburstLayout& layout);

} // namespace plenwick
