#include "results/ShellShareBar.h"

#include "services/Formatters.h"
#include "shell/ShellStyle.h"

#include <QPainter>

#include <algorithm>

namespace plenwick {

double ShellShareBar::fillWidth(double width, double fraction) {
    if (!(fraction > 0)) return 0;
    if (fraction > 1) return std::max(width, kMinimumFill);
    return std::max(width * fraction, kMinimumFill);
}

ShellShareBar::ShellShareBar(QWidget* parent) : QWidget(parent) {
    setFont(shellFont(ShellTextStyle::caption));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ShellShareBar::set(const QString& label, std::optional<double> fraction, const QColor& color) {
    if (label == label_ && fraction == fraction_ && color == color_) return;
    label_ = label;
    fraction_ = fraction;
    color_ = color;
    setAccessibleName(label_ + QLatin1Char(' ') + percentText());
    update();
}

QString ShellShareBar::percentText() const {
    return fraction_ ? QString::fromStdString(formatPercent(*fraction_)) : QStringLiteral("—");
}

QRectF ShellShareBar::barRect() const {
    return QRectF(0, height() - kBarHeight, width(), kBarHeight);
}

int ShellShareBar::lineHeight() const {
    const QFontMetrics metrics = fontMetrics();
    const int underscoreBottom = metrics.ascent() + metrics.boundingRect(QLatin1Char('_')).bottom() + 1;
    return std::max(metrics.height(), underscoreBottom);
}

QSize ShellShareBar::sizeHint() const { return QSize(120, lineHeight() + kRowSpacing + kBarHeight); }

QSize ShellShareBar::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

void ShellShareBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const QString percent = percentText();
    const int percentWidth = metrics.horizontalAdvance(percent);
    // Both texts stand on the same baseline, the font's ascent down from the top.
    const int baseline = metrics.ascent();
    p.setPen(shellSecondaryColor(palette()));
    p.drawText(QPoint(width() - percentWidth, baseline), percent);
    const int labelRoom = std::max(0, width() - percentWidth - 6);
    p.drawText(QPoint(0, baseline), metrics.elidedText(label_, Qt::ElideMiddle, labelRoom));

    const QRectF track = barRect();
    const qreal radius = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(shellRingTrackColor(shellAppearance(*this)));
    p.drawRoundedRect(track, radius, radius);
    const double filled = fillWidth(track.width(), fraction());
    if (filled > 0) {
        const QRectF fill(track.left(), track.top(), filled, track.height());
        p.setBrush(shellColorGradient(color_, fill));
        p.drawRoundedRect(fill, radius, radius);
    }
}

} // namespace plenwick
