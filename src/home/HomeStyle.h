#pragma once
// Colours and fonts of the home screen beyond the shared style.

#include <QColor>
#include <QFont>

class QPalette;

namespace plenwick {

// Text and symbols in the tertiary style: the window text at 26 % (25 % dark).
QColor homeTertiaryColor(const QPalette& palette);
// The system red, green and purple of the appearance.
QColor homeRedColor(const QPalette& palette);
QColor homeGreenColor(const QPalette& palette);
QColor homePurpleColor(const QPalette& palette);
// The product name over the page: 30 pixels, bold, rounded where the desktop has such a face.
QFont homeTitleFont();

} // namespace plenwick
