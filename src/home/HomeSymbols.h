#pragma once
// The symbols of the home screen's cards and banners, drawn at any size and device
// pixel ratio in a given colour. Filled symbols cut their glyph out of the fill, so
// the background shows through it, unless a second colour is given for the glyph.

#include <QColor>

#include <optional>

class QPainter;
class QRectF;

namespace plenwick {

enum class HomeSymbol {
    xmarkBinFill,        // the uninstaller: a bin with a cross
    powerCircleFill,     // startup items
    menubarRectangle,    // the menu-bar helper
    network,             // a network volume
    internalDrive,
    externalDrive,
    externalDriveBadgePlus,
    folderBadgePlus,     // the folder card
    arrowClockwise,      // scan again
    xmarkCircleFill,     // remove from the list
    arrowUturnBackward,  // back to the results
    arrowUturnBackwardCircleFill,
    lockShieldFill,      // Full Disk Access
    arrowDownCircleFill, // the drop overlay
};

// Draws `symbol` fitted into the square centred in `box`. `glyph` paints the glyph of a
// filled symbol in its own colour instead of cutting it out. `weight` scales the
// strokes (1 regular, below 1 lighter).
void drawHomeSymbol(QPainter& painter, HomeSymbol symbol, const QRectF& box, const QColor& color,
                    std::optional<QColor> glyph = std::nullopt, double weight = 1.0);

} // namespace plenwick
