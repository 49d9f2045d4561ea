#include "shell/ActivitySpinner.h"

#include <QPainter>

#include <cmath>

namespace plenwick {

namespace {
constexpr int kSpokes = 12;
}

ActivitySpinner::ActivitySpinner(int side, QWidget* parent) : QWidget(parent) {
    setFixedSize(side, side);
    timer_.setInterval(1000 / kSpokes);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
}

void ActivitySpinner::showEvent(QShowEvent*) { timer_.start(); }
void ActivitySpinner::hideEvent(QHideEvent*) { timer_.stop(); }

void ActivitySpinner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    QColor color = palette().color(QPalette::WindowText);
    for (int i = 0; i < kSpokes; ++i) {
        // The newest spoke is darkest; the trail fades behind it.
        const int age = (step_ - i + kSpokes) % kSpokes;
        QColor c = color;
        c.setAlphaF(0.15 + 0.75 * (1.0 - age / double(kSpokes)));
        p.save();
        p.rotate(360.0 * i / kSpokes);
        p.setPen(QPen(c, side / 10.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -side * 0.22), QPointF(0, -side * 0.45));
        p.restore();
    }
}

} // namespace plenwick
