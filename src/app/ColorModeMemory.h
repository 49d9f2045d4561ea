#pragma once
// The colour mode in force before a type highlight, restored when the highlight ends
// unless the user chose another mode meanwhile.

#include "charts/ChartEnums.h"

#include <optional>

namespace plenwick {

class ColorModeMemory {
public:
    std::optional<ColorMode> saved;
    std::optional<ColorMode> applied;

    // A highlight starts that wants `target`, with `current` in force: what the mode
    // becomes (the memory keeps the first saved mode).
    ColorMode startHighlight(ColorMode current, ColorMode target);
    // The colour mode changed to `mode`.
    void colorModeChanged(ColorMode mode);
    // The highlight ended with `current` in force: the mode to restore, if any.
    std::optional<ColorMode> highlightEnded(ColorMode current);

    friend bool operator==(const ColorModeMemory&, const ColorModeMemory&) = default;
};

} // namespace plenwick
