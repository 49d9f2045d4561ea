#pragma once
// The small line symbols of the window's buttons and bars, drawn at any size and
// device pixel ratio in the palette's text colour (or a given colour).
//
// Drawn rather than taken from the icon theme: Qt does not recolour a theme's
// symbolic icons for a dark palette, so they would vanish on dark windows.

#include <QColor>
#include <QIcon>

#include <optional>

class QPainter;
class QRectF;

namespace plenwick {

enum class Symbol {
    chevronLeft,
    chevronRight,
    chevronCompactRight,
    internalDrive,
    arrowUp,
    circleCircle,
    squareGrid,
    arrowClockwise,
    sidebarTrailing,
    warningTriangle,
    folder,
    // The uninstaller's.
    warningTriangleOutline,
    sparkles,
    lockFill,
    magnifyingGlass,
    playCircleFill,
    checkmarkCircleFill,
    sliderHorizontal,
    shippingBox,
    squareStack,
    power,
    lockShield,
    macWindow,
    globe,
    docText,
    // The startup items'.
    powerCircleFill, // a filled disc with the power glyph cut out
    gearshape,
    gearshape2Fill,
    ellipsisCircle,
    handRaisedFill,
    appDashed,
    terminalFill,    // a filled window with the prompt cut out
    checkmarkCircle,
    // The inspector's.
    arrowUpForwardApp,
    eye,
    trayArrowDown,
    trayArrowUp,
    trash,
    docOnDoc,
    infoCircle,
    xmarkCircleFill,
    cursorArrowClick,
    doc,
};

// An icon that draws `symbol`; without a colour it follows the application palette's
// window text (its disabled variant for disabled buttons).
QIcon symbolIcon(Symbol symbol, std::optional<QColor> color = std::nullopt);
// Draws `symbol` fitted into `box`.
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color);

} // namespace plenwick
