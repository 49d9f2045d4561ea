#include "app/ColorModeMemory.h"

namespace plenwick {

ColorMode ColorModeMemory::startHighlight(ColorMode current, ColorMode target) {
    if (!saved) saved = current;
    applied = target;
    return target;
}

void ColorModeMemory::colorModeChanged(ColorMode mode) {
    if (applied && mode != *applied) {
        saved.reset();
        applied.reset();
    }
}

std::optional<ColorMode> ColorModeMemory::highlightEnded(ColorMode current) {
    std::optional<ColorMode> restore;
    if (saved && applied && current == *applied) restore = saved;
    saved.reset();
    applied.reset();
    return restore;
}

} // namespace plenwick
