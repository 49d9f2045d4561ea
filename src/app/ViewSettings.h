#pragma once
// How the results are shown: which chart, and how nodes are coloured.

#include <optional>
#include <string_view>

namespace plenwick {

enum class Visualization { sunburst, treemap };
enum class ColorMode { byFolder, byKind, byType };

inline constexpr Visualization allVisualizations[] = {Visualization::sunburst, Visualization::treemap};
inline constexpr ColorMode allColorModes[] = {ColorMode::byFolder, ColorMode::byKind, ColorMode::byType};

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
