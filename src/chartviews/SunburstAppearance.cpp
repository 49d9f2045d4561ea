#include "chartviews/SunburstAppearance.h"

#include "shell/ShellStyle.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPalette>

#include <algorithm>

namespace plenwick {

const SunburstAppearance SunburstAppearance::light{{0.972, 0.972, 0.978}, {0.1, 0.1, 0.12}, 0.32, false};
const SunburstAppearance SunburstAppearance::dark{{0.115, 0.115, 0.125}, {1.0, 1.0, 1.0}, 0.24, true};

const SunburstAppearance& SunburstAppearance::forPalette(const QPalette& palette) {
    return shellAppearance(palette) == ShellAppearance::dark ? dark : light;
}

QColor sunburstColor(const RGB& rgb, double opacity) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(rgb.red, 0.0, 1.0)),
                            static_cast<float>(std::clamp(rgb.green, 0.0, 1.0)),
                            static_cast<float>(std::clamp(rgb.blue, 0.0, 1.0)),
                            static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
}

QFont sunburstFont(double points, QFont::Weight weight, const QPaintDevice* device) {
    QFont font = QGuiApplication::font();
    const int dpi = device ? device->logicalDpiY() : 96;
    font.setPointSizeF(points * 72.0 / (dpi > 0 ? dpi : 96));
    font.setWeight(weight);
    return font;
}

} // namespace plenwick
