#include "home/HomeBannerTransition.h"

#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace plenwick {

HomeBannerTransition::HomeBannerTransition(QWidget* banner, QWidget* parent) : QWidget(parent), banner_(banner) {
    setObjectName(banner->objectName());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(banner);
    banner->hide(); // pictured while it moves
    setFixedHeight(0);
    run(0, 1);
}

HomeBannerTransition::HomeBannerTransition(QPixmap picture, QWidget* parent) : QWidget(parent), picture_(std::move(picture)) {
    setObjectName(QStringLiteral("LeavingBanner"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    progress_ = 1;
    setFixedHeight(fullHeight());
    run(1, 0);
}

void HomeBannerTransition::run(double from, double to) {
    animation_.setStartValue(from);
    animation_.setEndValue(to);
    animation_.setDuration(kDurationMs);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { step(v.toDouble()); });
    connect(&animation_, &QVariantAnimation::finished, this, &HomeBannerTransition::finish);
    animation_.start();
}

int HomeBannerTransition::fullHeight() const {
    if (!banner_) return static_cast<int>(std::lround(picture_.height() / picture_.devicePixelRatio()));
    return banner_->hasHeightForWidth() && width() > 0 ? banner_->heightForWidth(width()) : banner_->sizeHint().height();
}

void HomeBannerTransition::step(double progress) {
    progress_ = progress;
    if (banner_ && width() > 0 && (picture_.isNull() || picture_.width() != qRound(width() * devicePixelRatioF()))) {
        banner_->resize(width(), fullHeight());
        picture_ = banner_->grab();
    }
    setFixedHeight(static_cast<int>(std::lround(fullHeight() * progress)));
    update();
}

void HomeBannerTransition::finish() {
    if (banner_) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        picture_ = QPixmap();
        banner_->show();
    } else {
        hide();
    }
}

void HomeBannerTransition::paintEvent(QPaintEvent*) {
    if (picture_.isNull() || (banner_ && !isRunning())) return;
    QPainter painter(this);
    painter.setOpacity(progress_);
    // Moving in from the top edge: the banner's lower edge leads.
    const double full = picture_.height() / picture_.devicePixelRatio();
    painter.drawPixmap(QPointF(0, -(1 - progress_) * full), picture_);
}

} // namespace plenwick
