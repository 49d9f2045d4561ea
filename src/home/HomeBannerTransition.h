#pragma once
// How a banner of the home page goes: a picture of the banner that was (the page has
// been rebuilt without it) moves out to the top edge while fading, the page below
// closing up as it shrinks.

#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

namespace plenwick {

class HomeBannerTransition final : public QWidget {
    Q_OBJECT

public:
    // The spring of the page's banners, 0.5 s and critically damped.
    static constexpr int kDurationMs = 500;

    // A banner pictured in `picture` goes.
    HomeBannerTransition(QPixmap picture, QWidget* parent);

    bool isRunning() const { return animation_.state() == QAbstractAnimation::Running; }
    const QVariantAnimation& animation() const noexcept { return animation_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void step(double progress);
    int fullHeight() const;

    QPixmap picture_;
    QVariantAnimation animation_;
    double progress_ = 1;
};

} // namespace plenwick
