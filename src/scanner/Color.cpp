#include "scanner/Color.h"

#include <cmath>

namespace plenwick {

ExtensionPalette makeExtensionPalette() noexcept {
    return {{
        {0.3, 0.55, 0.98},
        {0.95, 0.35, 0.35},
        {0.3, 0.8, 0.45},
        {0.98, 0.78, 0.22},
        {0.7, 0.4, 0.95},
        {0.2, 0.8, 0.85},
        {0.98, 0.55, 0.2},
        {0.95, 0.45, 0.75},
        {0.6, 0.8, 0.25},
        {0.55, 0.45, 0.35},
        {0.45, 0.45, 0.85},
        {0.35, 0.65, 0.6},
    }};
}

const ExtensionPalette& extensionPalette() noexcept {
    static const ExtensionPalette palette = makeExtensionPalette();
    return palette;
}

RGB hsbToRGB(double hue, double saturation, double brightness) noexcept {
    double h = std::isfinite(hue) ? std::fmod(std::fmod(hue, 1.0) + 1.0, 1.0) : 0.0;
    const double h6 = h * 6.0;
    int sector = static_cast<int>(h6);
    if (sector > 5) sector = 5; // a hue a hair below 1 can round up to 6
    const double f = h6 - sector;
    const double b = brightness, s = saturation;
    const double p = b * (1 - s);
    const double q = b * (1 - s * f);
    const double t = b * (1 - s * (1 - f));
    switch (sector) {
    case 0: return {b, t, p};
    case 1: return {q, b, p};
    case 2: return {p, b, t};
    case 3: return {p, q, b};
    case 4: return {t, p, b};
    default: return {b, p, q};
    }
}

RGB mixColor(const RGB& a, double t, const RGB& b) noexcept {
    return {a.red * t + b.red * (1 - t), a.green * t + b.green * (1 - t), a.blue * t + b.blue * (1 - t)};
}

RGB extensionColorForIndex(std::size_t index) noexcept {
    if (index < extensionPaletteSize) return extensionPalette()[index];
    const double product = static_cast<double>(index) * 0.61803398875;
    return hsbToRGB(product - std::floor(product), 0.55, 0.85);
}

} // namespace plenwick
