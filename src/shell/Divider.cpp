#include "shell/Divider.h"

#include <QPainter>
#include <QPaintEvent>

namespace plenwick {

QColor dividerColor(const QPalette& palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.14);
    return c;
}

Divider::Divider(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), orientation_(orientation) {
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), dividerColor(palette()));
}

namespace {

class DividerHandle final : public QSplitterHandle {
public:
    DividerHandle(Qt::Orientation orientation, QSplitter* parent) : QSplitterHandle(orientation, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor color = dividerColor(palette());
        if (orientation() == Qt::Horizontal)
            p.fillRect(QRect(width() / 2, 0, 1, height()), color);
        else
            p.fillRect(QRect(0, height() / 2, width(), 1), color);
    }
};

} // namespace

DividerSplitter::DividerSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent) {
    setHandleWidth(1);
    setChildrenCollapsible(false);
}

QSplitterHandle* DividerSplitter::createHandle() { return new DividerHandle(orientation(), this); }

} // namespace plenwick
