#pragma once
// The collector's fonts and the colours the shared style has no name for.

#include <QColor>
#include <QFont>

class QPalette;

namespace plenwick {

enum class CollectorFont {
    callout,         // chips, the empty card, the summary
    calloutSemibold, // "Collector", the summary's figures, the freed badge
    caption,         // counts and subtitles
    badge,           // the "+N" of leftovers
    headline,        // the items list's header
    total,           // the bar's total
};
QFont collectorFont(CollectorFont font);

// Text and symbols in the tertiary style: fainter than the secondary one.
QColor collectorTertiaryColor(const QPalette& palette);

} // namespace plenwick
