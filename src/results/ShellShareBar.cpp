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

void ShellShareBar::set(const QString& label, double fraction, const QColor& color) {
    if (label == label_ && fraction == fraction_ && color == color_) return;
    label_ = label;
    fraction_ = fraction;
    color_ = color;
    setAccessibleName(label_ + QLatin1Char(' ') + percentText());
    update();
}

QString ShellShareBar::percentText() const { return QString::fromStdString(formatPercent(fraction_)); }

QRectF ShellShareBar::barRect() const {
    return QRectF(0, height() - kBarHeight, width(), kBarHeight);
}

QSize ShellShareBar::sizeHint() const { return QSize(120, fontMetrics().height() + kRowSpacing + kBarHeight); }

QSize ShellShareBar::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

void ShellShareBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const QString percent = percentText();
    const int percentWidth = metrics.horizontalAdvance(percent);
    const int lineHeight = metrics.height();
    p.setPen(shellSecondaryColor(palette()));
    p.drawText(QRect(width() - percentWidth, 0, percentWidth, lineHeight), Qt::AlignRight | Qt::AlignVCenter, percent);
    const int labelRoom = std::max(0, width() - percentWidth - 6);
    p.drawText(QRect(0, 0, labelRoom, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(label_, Qt::ElideMiddle, labelRoom));

    const QRectF track = barRect();
    const qreal radius = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(shellRingTrackColor(shellAppearance(*this)));
    p.drawRoundedRect(track, radius, radius);
    const double filled = fillWidth(track.width(), fraction_);
    if (filled > 0) {
        const QRectF fill(track.left(), track.top(), filled, track.height());
        p.setBrush(shellColorGradient(color_, fill));
        p.drawRoundedRect(fill, radius, radius);
    }
}

} // namespace plenwick
