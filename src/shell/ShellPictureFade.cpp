#include "shell/ShellPictureFade.h"

#include <QPainter>

namespace plenwick {

ShellPictureFade::ShellPictureFade(QPixmap picture, int durationMs, QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)), animation_(this) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    animation_.setDuration(durationMs);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    animation_.setStartValue(1.0);
    animation_.setEndValue(0.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(&animation_, &QVariantAnimation::finished, this, &QObject::deleteLater);
}

void ShellPictureFade::start() {
    setGeometry(parentWidget()->rect());
    raise();
    show();
    animation_.start();
}

void ShellPictureFade::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(animation_.currentValue().toDouble());
    painter.drawPixmap(0, 0, picture_);
}

} // namespace plenwick
