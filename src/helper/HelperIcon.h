#pragma once
// The helper's tray icon: a small picture drawn cell by cell from a text pattern, a
// mask image that the desktop may tint for light and dark panels.

#include <QColor>
#include <QIcon>
#include <QImage>

#include <array>

namespace plenwick {

// 13 rows of 15 cells, "#" filled, "." empty; the first row is the top one.
extern const std::array<const char*, 13> helperIconPattern;

// The pattern at `scale` pixels per cell, filled cells in `color`, the rest transparent.
QImage helperIconImage(int scale, const QColor& color = Qt::black);
// The icon in renditions of one to four pixels per cell, marked as a mask, with the
// name "Plenwick Helper".
QIcon makeHelperIcon(const QColor& color = Qt::black);

} // namespace plenwick
