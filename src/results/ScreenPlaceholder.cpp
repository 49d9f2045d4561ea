#include "results/ScreenPlaceholder.h"

#include <QPainter>

namespace plenwick {

ScreenPlaceholder::ScreenPlaceholder(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    setObjectName(name);
    setAccessibleName(name);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(0, 0);
}

void ScreenPlaceholder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor text = palette().color(QPalette::WindowText);
    text.setAlphaF(0.35);
    p.setPen(text);
    p.drawText(rect(), Qt::AlignCenter, name_);
}

} // namespace plenwick
