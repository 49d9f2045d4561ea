#pragma once
// The small pictures of the outline drawn in code: the badges on the icons of links
// and unreadable items, the collected mark, and the symbols of the sidebar's
// placeholders and search field. Drawn rather than taken from the icon theme so that
// they follow the palette, light or dark, at any device pixel ratio.

#include <QColor>
#include <QIcon>

class QPainter;
class QRectF;

namespace plenwick {

enum class OutlineGlyph {
    linkBadge,      // a filled blue disc with an arrow pointing up and right
    lockBadge,      // a filled grey disc with a padlock
    collectedMark,  // a filled tray holding papers
    document,       // a page with a folded corner
    magnifier,      // a magnifying glass
};

// Draws `glyph` fitted into `box` in `color` (the badges bring their own colours).
void drawOutlineGlyph(QPainter& painter, OutlineGlyph glyph, const QRectF& box, const QColor& color = {});
// An icon of `glyph` in `color`, `side` points square, for 1×, 2× and 3× screens.
QIcon outlineGlyphIcon(OutlineGlyph glyph, const QColor& color, int side);

} // namespace plenwick
