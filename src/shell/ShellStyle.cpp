#include "shell/ShellStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <QRectF>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

QColor whiteLevel(double white, double alpha) { return QColor::fromRgbF(white, white, white, alpha); }

bool isDark(ShellAppearance appearance) { return appearance == ShellAppearance::dark; }

// Moves each channel toward `target` (0 or 1) by `amount`.
QColor toward(const QColor& color, double target, double amount) {
    auto move = [&](float channel) { return channel + (target - channel) * amount; };
    return QColor::fromRgbF(move(color.redF()), move(color.greenF()), move(color.blueF()), color.alphaF());
}

} // namespace

ShellAppearance shellAppearance(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? ShellAppearance::dark : ShellAppearance::light;
}

ShellAppearance shellAppearance(const QWidget& widget) { return shellAppearance(widget.palette()); }

QColor shellCardFillColor(ShellAppearance appearance) {
    return isDark(appearance) ? whiteLevel(1.0, 0.065) : whiteLevel(1.0, 1.0);
}

QColor shellCardStrokeColor(ShellAppearance appearance) {
    return isDark(appearance) ? whiteLevel(1.0, 0.10) : whiteLevel(0.0, 0.08);
}

QColor shellRingTrackColor(ShellAppearance appearance) {
    return isDark(appearance) ? whiteLevel(1.0, 0.13) : whiteLevel(0.0, 0.09);
}

QColor shellNeutralFillColor(ShellAppearance appearance) {
    return isDark(appearance) ? QColor::fromRgbF(0.48, 0.48, 0.54) : QColor::fromRgbF(0.62, 0.62, 0.68);
}

QColor shellSeparatorColor(ShellAppearance appearance) {
    return isDark(appearance) ? whiteLevel(1.0, 0.10) : whiteLevel(0.0, 0.10);
}

QColor shellOrangeColor(ShellAppearance appearance) {
    return isDark(appearance) ? QColor(255, 159, 10) : QColor(255, 149, 0);
}

QColor shellAccentColor(const QPalette& palette) { return palette.color(QPalette::Highlight); }

QColor shellWindowBackgroundColor(const QPalette& palette) { return palette.color(QPalette::Window); }

QColor shellPrimaryColor(const QPalette& palette) { return palette.color(QPalette::WindowText); }

QColor shellSecondaryColor(const QPalette& palette) {
    return shellWithOpacity(palette.color(QPalette::WindowText), isDark(shellAppearance(palette)) ? 0.55 : 0.5);
}

QColor shellWithOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return color;
}

qreal shellPaintScale(const QPainter& painter) {
    const qreal scale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    if (scale > 0) return scale;
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

int shellTextPixelSize(ShellTextStyle style) {
    switch (style) {
    case ShellTextStyle::largeTitle: return 26;
    case ShellTextStyle::title: return 22;
    case ShellTextStyle::title2: return 17;
    case ShellTextStyle::title3: return 15;
    case ShellTextStyle::headline:
    case ShellTextStyle::body: return 13;
    case ShellTextStyle::callout: return 12;
    case ShellTextStyle::subheadline: return 11;
    case ShellTextStyle::footnote:
    case ShellTextStyle::caption: return 10;
    }
    return 13;
}

namespace {

QFont styled(QFont font, ShellTextStyle style, std::optional<QFont::Weight> weight) {
    font.setPixelSize(shellTextPixelSize(style));
    font.setWeight(weight.value_or(style == ShellTextStyle::headline ? QFont::DemiBold : QFont::Normal));
    return font;
}

} // namespace

QFont shellFont(ShellTextStyle style, std::optional<QFont::Weight> weight) {
    return styled(QApplication::font(), style, weight);
}

QFont shellMonospacedFont(ShellTextStyle style, std::optional<QFont::Weight> weight) {
    return styled(QFontDatabase::systemFont(QFontDatabase::FixedFont), style, weight);
}

QLinearGradient shellColorGradient(const QColor& color, const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, toward(color, 1.0, 0.12));
    gradient.setColorAt(1, toward(color, 0.0, 0.08));
    return gradient;
}

} // namespace plenwick
