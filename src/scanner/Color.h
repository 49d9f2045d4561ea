#pragma once
// The colour primitives shared by the statistics, the application state and the
// charts: an sRGB triple, the neutral default, the extension palette and the
// endless sequence of extension colours that continues it.

#include "base/HashCombine.h"

#include <array>
#include <cstddef>
#include <functional>

namespace plenwick {

// Red, green and blue, each between 0 and 1, in sRGB.
struct RGB {
    double red = 0;
    double green = 0;
    double blue = 0;

    // -0.0 and 0.0 compare equal, as doubles do.
    friend bool operator==(const RGB&, const RGB&) = default;
};

// The neutral grey used whenever no other rule gives a colour.
inline constexpr RGB defaultNodeColor{0.62, 0.62, 0.66};

inline constexpr std::size_t extensionPaletteSize = 12;
using ExtensionPalette = std::array<RGB, extensionPaletteSize>;

// The twelve colours given to the largest extensions, in order.
ExtensionPalette makeExtensionPalette() noexcept;
// The palette of the process, built once.
const ExtensionPalette& extensionPalette() noexcept;

// Hue, saturation and brightness to RGB. The hue wraps into [0, 1), so -0.25 is
// 0.75 and 1 is 0; a hue that is not a number counts as 0.
RGB hsbToRGB(double hue, double saturation, double brightness) noexcept;

// a·t + b·(1 − t), component by component: t = 1 gives a, t = 0 gives b.
RGB mixColor(const RGB& a, double t, const RGB& b) noexcept;

// The palette colour for indices below 12, then golden-ratio hues at saturation
// 0.55 and brightness 0.85.
RGB extensionColorForIndex(std::size_t index) noexcept;

} // namespace plenwick

template <>
struct std::hash<plenwick::RGB> {
    std::size_t operator()(const plenwick::RGB& c) const noexcept {
        // Adding 0.0 turns -0.0 into 0.0, so equal colours hash alike.
        const std::hash<double> h;
        std::size_t seed = h(c.red + 0.0);
        plenwick::hashCombine(seed, h(c.green + 0.0));
        plenwick::hashCombine(seed, h(c.blue + 0.0));
        return seed;
    }
};
