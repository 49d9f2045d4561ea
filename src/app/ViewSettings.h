#pragma once
// How the results are shown, as the preferences store it: the raw values of the
// chart and the colour mode.

#include "charts/ChartEnums.h"

#include <optional>
#include <string_view>

namespace plenwick {

constexpr std::string_view rawValue(Visualization v) noexcept {
    return v == Visualization::sunburst ? "sunburst" : "treemap";
}
constexpr std::string_view rawValue(ColorMode m) noexcept {
    switch (m) {
    case ColorMode::byFolder: return "byFolder";
    case ColorMode::byKind: return "byKind";
    case ColorMode::byType: return "byType";
    }
    return "";
}

std::optional<Visualization> visualizationFromRaw(std::string_view raw) noexcept;
std::optional<ColorMode> colorModeFromRaw(std::string_view raw) noexcept;

} // namespace plenwick
