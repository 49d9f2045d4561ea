#include "chartviews/SunburstLabels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace plenwick {

namespace {

constexpr double pi = std::numbers::pi;

bool fits(const QPointF& centre, const QPointF& anchor, double rotation, const QSizeF& box, double ri, double ro,
          double a0, double a1) {
    const double hw = box.width() / 2 + 5, hh = box.height() / 2 + 2;
    const bool fullTurn = a1 - a0 >= 0.99999;
    const double c = std::cos(rotation), s = std::sin(rotation);
    const std::array<QPointF, 8> corners{QPointF(-hw, -hh), QPointF(hw, -hh), QPointF(-hw, hh), QPointF(hw, hh),
                                         QPointF(0, -hh),   QPointF(0, hh),   QPointF(-hw, 0),  QPointF(hw, 0)};
    for (const QPointF& q : corners) {
        const double x = anchor.x() + q.x() * c - q.y() * s - centre.x();
        const double y = anchor.y() + q.x() * s + q.y() * c - centre.y();
        const double r = std::hypot(x, y);
        if (!(r > ri + 1 && r < ro - 1)) return false;
        if (fullTurn) continue;
        double a = std::atan2(x, -y) / (2 * pi);
        a -= std::floor(a);
        if (!(a > a0 && a < a1)) return false;
    }
    return true;
}

struct Candidates {
    QPointF anchor;
    std::array<double, 3> rotations;
};

Candidates candidates(const QPointF& centre, double ri, double ro, double a0, double a1) {
    const double m = (a0 + a1) / 2;
    const double theta = 2 * pi * m;
    const double rmid = (ri + ro) / 2;
    return {QPointF(centre.x() + std::sin(theta) * rmid, centre.y() - std::cos(theta) * rmid),
            {0, m > 0.25 && m < 0.75 ? theta + pi : theta, m < 0.5 ? theta - pi / 2 : theta + pi / 2}};
}

} // namespace

std::optional<SunburstLabelPlacement> placeSunburstLabel(const QPointF& centre, double ri, double ro, double a0,
                                                         double a1, const QSizeF& twoLines, const QSizeF& oneLine) {
    const auto [anchor, rotations] = candidates(centre, ri, ro, a0, a1);
    for (bool two : {true, false})
        for (double rotation : rotations)
            if (fits(centre, anchor, rotation, two ? twoLines : oneLine, ri, ro, a0, a1))
                return SunburstLabelPlacement{two, rotation, anchor};
    return std::nullopt;
}

double sunburstLabelRoom(const QPointF& centre, double ri, double ro, double a0, double a1, double height) {
    const auto [anchor, rotations] = candidates(centre, ri, ro, a0, a1);
    auto fitsAt = [&](double width) {
        for (double rotation : rotations)
            if (fits(centre, anchor, rotation, QSizeF(width, height), ri, ro, a0, a1)) return true;
        return false;
    };
    if (!fitsAt(0)) return 0;
    if (fitsAt(400)) return 400;
    // Each rotation fits up to some width and no further; halve the gap down to a
    // quarter point.
    double low = 0, high = 400;
    while (high - low > 0.25) {
        const double mid = (low + high) / 2;
        (fitsAt(mid) ? low : high) = mid;
    }
    return low;
}

bool sunburstLabelTextIsDark(const RGB& fill, bool collected) {
    const double lum = 0.2126 * fill.red + 0.7152 * fill.green + 0.0722 * fill.blue;
    return lum > (collected ? 0.5 : 0.72);
}

double sunburstLabelFontSize(double thickness) { return std::clamp(thickness * 0.28, 10.0, 12.0); }

} // namespace plenwick
