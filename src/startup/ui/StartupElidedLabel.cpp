#include "startup/ui/StartupElidedLabel.h"

#include <QPainter>

namespace plenwick {

StartupElidedLabel::StartupElidedLabel(QString text, QWidget* parent) : QWidget(parent), text_(std::move(text)) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAccessibleName(text_);
    setToolTip(text_);
}

QSize StartupElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
}

QSize StartupElidedLabel::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void StartupElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text_, Qt::ElideMiddle, width()));
}

} // namespace plenwick
