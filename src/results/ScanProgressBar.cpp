#include "results/ScanProgressBar.h"

#include "shell/ShellFrameTimer.h"
#include "shell/ShellStyle.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

constexpr double period = 1.5;      // seconds for one pass
constexpr double stretchWidth = 0.3; // of the bar's width

} // namespace

ScanProgressBar::ScanProgressBar(QWidget* parent) : QWidget(parent), frames_(new ShellFrameTimer(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(barHeight);
    frames_->setWanted(true);
}

bool ScanProgressBar::isAnimating() const { return frames_->isActive(); }

void ScanProgressBar::setFraction(std::optional<double> fraction) {
    if (fraction) fraction = std::clamp(*fraction, 0.0, 1.0);
    if (fraction_ == fraction) return;
    fraction_ = fraction;
    frames_->setWanted(!fraction_ && !fixedTime_);
    update();
}

void ScanProgressBar::setFixedTime(std::optional<double> seconds) {
    fixedTime_ = seconds;
    frames_->setWanted(!fraction_ && !fixedTime_);
    update();
}

std::pair<double, double> ScanProgressBar::indeterminateSpan(double seconds) {
    double phase = std::fmod(seconds / period, 1.0);
    if (phase < 0) phase += 1;
    // Enters from the left edge and leaves past the right one.
    const double start = -stretchWidth + phase * (1 + stretchWidth);
    return {std::max(0.0, start), std::min(1.0, start + stretchWidth)};
}

QSize ScanProgressBar::sizeHint() const { return QSize(200, barHeight); }

double ScanProgressBar::seconds() const {
    return fixedTime_ ? *fixedTime_ : static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}


void ScanProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track = QRectF(rect());
    const qreal radius = track.height() / 2;
    QPainterPath capsule;
    capsule.addRoundedRect(track, radius, radius);
    painter.fillPath(capsule, shellRingTrackColor(shellAppearance(palette())));

    double from = 0, to = 0;
    if (fraction_) {
        to = *fraction_;
    } else {
        std::tie(from, to) = indeterminateSpan(seconds());
    }
    if (to <= from) return;
    painter.setClipPath(capsule);
    QPainterPath fill;
    const QRectF filled(track.left() + from * track.width(), track.top(), (to - from) * track.width(), track.height());
    fill.addRoundedRect(filled, std::min(radius, filled.width() / 2), radius);
    painter.fillPath(fill, shellAccentColor(palette()));
}

} // namespace plenwick
