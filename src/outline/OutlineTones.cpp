#include "outline/OutlineTones.h"

#include "shell/ShellStyle.h"

namespace plenwick {

QColor outlineTone(const QPalette& palette, OutlineTone tone) {
    switch (tone) {
    case OutlineTone::label: return shellPrimaryColor(palette);
    case OutlineTone::secondary: return shellSecondaryColor(palette);
    case OutlineTone::tertiary: return shellWithOpacity(shellPrimaryColor(palette), 0.28);
    case OutlineTone::quaternary: return shellRingTrackColor(shellAppearance(palette));
    }
    return shellPrimaryColor(palette);
}

} // namespace plenwick
