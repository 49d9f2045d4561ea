#pragma once
// The product logo. Its artwork is drawn on a grid of 49 device pixels and shown only
// at whole multiples of that grid, without smoothing, so that it stays crisp.

#include <QImage>
#include <QWidget>

namespace plenwick {

// The 49 × 49 artwork, drawn once.
const QImage& appLogoImage();

class AppLogoView : public QWidget {
    Q_OBJECT

public:
    static constexpr int gridPixels = 49;

    // `size`: the requested side in logical pixels (the home screen uses 74).
    explicit AppLogoView(qreal size, QWidget* parent = nullptr);

    qreal requestedSize() const noexcept { return size_; }
    // Whole multiples of the grid shown for `size` at `scale` device pixels per logical
    // pixel: the nearest, at least 1; a scale below 1 counts as 1.
    static int gridMultiple(qreal size, qreal scale);
    // The side actually shown, in logical pixels: multiple × 49 ÷ scale.
    static qreal side(qreal size, qreal scale);
    // Draws the logo centred on `centre`, its corner on a whole device pixel.
    static void paint(QPainter& painter, const QPointF& centre, qreal size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
};

} // namespace plenwick
