#pragma once
// The few symbols of the sunburst's centre disc and drag preview, drawn as vectors
// in any colour, so they follow both appearances at any pixel ratio.

#include <QColor>

class QPainter;
class QRectF;

namespace plenwick {

enum class SunburstSymbol { none, chevronUp, folderFill, docFill, trayFullFill, ellipsis, eyeSlash };

// Draws the symbol fitted into `box`; `bold` thickens its strokes.
void drawSunburstSymbol(QPainter& painter, SunburstSymbol symbol, const QRectF& box, const QColor& color,
                        bool bold = false);

} // namespace plenwick
