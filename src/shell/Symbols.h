#pragma once
// The small line symbols of the window's buttons and bars, drawn at any size and
// device pixel ratio in the palette's text colour (or a given colour).
//
// Drawn rather than taken from the icon theme: Qt does not recolour a theme's
// symbolic icons for a dark palette, so they would vanish on dark windows.

#include <QColor>
#include <QIcon>

#include <optional>
#include <string_view>

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
    // The collector's.
    tray,
    trayAndArrowDownFill,
    chevronDown,
    trash,
    trashFill,
    // The home screen's.
    xmarkBinFill,           // a bin with a cross cut out
    menubarRectangle,       // a window with a filled menu bar
    externalDrive,
    externalDriveBadgePlus,
    folderBadgePlus,
    xmarkCircleFill,
    arrowUturnBackward,
    arrowDownCircleFill,
    // The treemap's: file kinds in its status bar, its drag label and empty state.
    photo,
    film,
    musicNote,
    archivebox,
    opticalDiscDrive,
    chevronLeftForwardSlashChevronRight,
    hammer,
    questionmarkSquareDashed,
    squareDashed,
    arrowTurnUpRight,
    lock,
    trayFullFill,
    squareGrid3x3Fill,
    folderFill,
    docFill,
    // The sunburst's centre disc and the outline's placeholders.
    chevronUp,
    ellipsis,
    eyeSlash,
    // The inspector's.
    arrowUpForwardApp,
    eye,
    trayArrowDown,
    trayArrowUp,
    docOnDoc,
    infoCircle,
    cursorArrowClick,
    doc,
    // The settings'.
    exclamationCircleFill, // a filled disc with "!" cut out
};

// The symbol of a system symbol name as the file categories and the charts' texts
// give it ("doc.text", "tray.full.fill", …), or none for a name without one.
std::optional<Symbol> symbolNamed(std::string_view name);

// An icon that draws `symbol`; without a colour it follows the application palette's
// window text (its disabled variant for disabled buttons).
QIcon symbolIcon(Symbol symbol, std::optional<QColor> color = std::nullopt);
// Draws `symbol` fitted into `box`; a `weight` above 1 thickens its strokes.
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color, qreal weight = 1);

} // namespace plenwick
