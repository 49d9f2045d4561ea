#pragma once
// The circular fill gauge of a volume: a track and, over it, an arc from 12 o'clock
// clockwise, blue below three quarters full, orange below nine tenths, red above.

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;
class QRectF;

namespace plenwick {

class ShellCapacityRing : public QWidget {
    Q_OBJECT

public:
    struct Colors {
        QColor start; // where the arc begins
        QColor end;   // what its second half blends into
        friend bool operator==(const Colors&, const Colors&) = default;
    };

    explicit ShellCapacityRing(double fraction = 0, qreal lineWidth = 6, QWidget* parent = nullptr);

    double fraction() const noexcept { return fraction_; }
    void setFraction(double fraction);
    qreal lineWidth() const noexcept { return lineWidth_; }
    void setLineWidth(qreal lineWidth);

    // The fraction held to 0 … 1 (not a number counts as 0).
    static double fillLevel(double fraction);
    // The arc's two colours for a fill level.
    static Colors gradientColors(double fillLevel);
    // "37% used".
    static QString accessibleText(double fraction);
    // Draws the gauge in the largest square centred in `frame`, its stroke reaching the square's edge.
    static void paint(QPainter& painter, const QRectF& frame, double fraction, qreal lineWidth, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction_;
    qreal lineWidth_;
};

} // namespace plenwick
