#pragma once
// The badges the outline draws on the icons of links and unreadable items, in their
// own colours, at any device pixel ratio.

class QPainter;
class QRectF;

namespace plenwick {

enum class OutlineGlyph {
    linkBadge,      // a filled blue disc with an arrow pointing up and right
    lockBadge,      // a filled grey disc with a padlock
};

// Draws `glyph` fitted into `box`.
void drawOutlineGlyph(QPainter& painter, OutlineGlyph glyph, const QRectF& box);

} // namespace plenwick
