#pragma once
// The sidebar's colours by emphasis, from the shared style: text in four strengths,
// the last of them also the track of the share bars.

#include <QColor>
#include <QPalette>

namespace plenwick {

enum class OutlineTone { label, secondary, tertiary, quaternary };

QColor outlineTone(const QPalette& palette, OutlineTone tone);

} // namespace plenwick
