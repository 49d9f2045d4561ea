#pragma once
// The sidebar's text colours by emphasis, taken from the palette so that they follow
// the light or dark appearance.

#include <QColor>
#include <QPalette>

namespace plenwick {

enum class OutlineTone { label, secondary, tertiary, quaternary };

QColor outlineTone(const QPalette& palette, OutlineTone tone);

} // namespace plenwick
