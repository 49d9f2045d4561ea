#include "outline/OutlineTones.h"

namespace plenwick {

QColor outlineTone(const QPalette& palette, OutlineTone tone) {
    QColor color = palette.color(QPalette::WindowText);
    const bool dark = palette.color(QPalette::Window).lightnessF() < 0.5;
    switch (tone) {
    case OutlineTone::label: color.setAlphaF(0.88); break;
    case OutlineTone::secondary: color.setAlphaF(dark ? 0.55 : 0.5); break;
    case OutlineTone::tertiary: color.setAlphaF(0.28); break;
    case OutlineTone::quaternary: color.setAlphaF(dark ? 0.16 : 0.1); break;
    }
    return color;
}

} // namespace plenwick
