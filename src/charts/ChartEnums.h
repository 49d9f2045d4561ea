#pragma once
// Which chart shows the results, and how its nodes are coloured.

namespace plenwick {

enum class Visualization { sunburst, treemap };
enum class ColorMode { byFolder, byKind, byType };

inline constexpr Visualization allVisualizations[] = {Visualization::sunburst, Visualization::treemap};
inline constexpr ColorMode allColorModes[] = {ColorMode::byFolder, ColorMode::byKind, ColorMode::byType};

} // namespace plenwick
