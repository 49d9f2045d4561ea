#include "app/ViewSettings.h"

namespace plenwick {

std::optional<Visualization> visualizationFromRaw(std::string_view raw) noexcept {
    for (Visualization v : allVisualizations)
        if (rawValue(v) == raw) return v;
    return std::nullopt;
}

std::optional<ColorMode> colorModeFromRaw(std::string_view raw) noexcept {
    for (ColorMode m : allColorModes)
        if (rawValue(m) == raw) return m;
    return std::nullopt;
}

} // namespace plenwick
