#include "home/HomeBannerTransition.h"

#include <QPainter>

#include <cmath>

namespace plenwick {

HomeBannerTransition::HomeBannerTransition(QPixmap picture, QWidget* parent) : QWidget(parent), picture_(std::move(picture)) {
    setObjectName(QStringLiteral("LeavingBanner"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedHeight(fullHeight());
    animation_.setStartValue(1.0);
    animation_.setEndValue(0.0);
    animation_.setDuration(kDurationMs);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { step(v.toDouble()); });
    connect(&animation_, &QVariantAnimation::finished, this, &QWidget::hide);
    animation_.start();
}

int HomeBannerTransition::fullHeight() const {
    return static_cast<int>(std::lround(picture_.height() / picture_.devicePixelRatio()));
}

void HomeBannerTransition::step(double progress) {
    progress_ = progress;
    setFixedHeight(static_cast<int>(std::lround(fullHeight() * progress)));
    update();
}

void HomeBannerTransition::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setOpacity(progress_);
    // Moving out to the top edge: the banner's lower edge trails.
    const double full = picture_.height() / picture_.devicePixelRatio();
    painter.drawPixmap(QPointF(0, -(1 - progress_) * full), picture_);
}

} // namespace plenwick
