#pragma once
// How a banner of the home page comes and goes: it moves in from the top edge while
// fading in, the page below making room as it grows, and leaves the same way back.
// Coming in, it shows the banner itself once it has arrived; going, it shows a picture
// of the banner that was, since the page has been rebuilt without it.

#include <QPixmap>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

namespace plenwick {

class HomeBannerTransition final : public QWidget {
    Q_OBJECT

public:
    // The spring of the page's banners, 0.5 s and critically damped.
    static constexpr int kDurationMs = 500;

    // `banner` comes in (it becomes this widget's child).
    HomeBannerTransition(QWidget* banner, QWidget* parent);
    // A banner pictured in `picture` goes.
    HomeBannerTransition(QPixmap picture, QWidget* parent);

    bool isComing() const noexcept { return banner_ != nullptr; }
    bool isRunning() const { return animation_.state() == QAbstractAnimation::Running; }
    QWidget* banner() const { return banner_; }
    const QVariantAnimation& animation() const noexcept { return animation_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void run(double from, double to);
    void step(double progress);
    void finish();
    int fullHeight() const;

    QPointer<QWidget> banner_;
    QPixmap picture_;
    QVariantAnimation animation_;
    double progress_ = 0;
};

} // namespace plenwick
