#include "helper/HelperIcon.h"

#include <QPainter>

#include <cstring>

namespace plenwick {

const std::array<const char*, 13> helperIconPattern = {
    ".######........", "#######.######.", "##...##.#######", "#.....#.#.....#", "#..#..#.#.....#",
    "#.....#.#######", "##...##.#.....#", "#######.#.....#", "#######.#######", "#######.#######",
    "#.#####.#.#.#.#", ".######.#.#.#.#", "........######.",
};

QImage helperIconImage(int scale, const QColor& color) {
    int width = 0;
    for (const char* row : helperIconPattern) width = std::max(width, static_cast<int>(std::strlen(row)));
    const int height = static_cast<int>(helperIconPattern.size());
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; helperIconPattern[y][x] != '\0'; ++x)
            if (helperIconPattern[y][x] == '#') painter.fillRect(x * scale, y * scale, scale, scale, color);
    painter.end();
    image.setText(QStringLiteral("Description"), QStringLiteral("Plenwick Helper"));
    return image;
}

QIcon makeHelperIcon(const QColor& color) {
    QIcon icon;
    for (int scale = 1; scale <= 4; ++scale) icon.addPixmap(QPixmap::fromImage(helperIconImage(scale, color)));
    icon.setIsMask(true);
    return icon;
}

} // namespace plenwick
