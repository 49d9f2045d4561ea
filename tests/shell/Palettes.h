#pragma once
// Light and dark palettes as a desktop would give them, for drawing in both appearances.

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

namespace plenwick::test {

inline QPalette lightPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(236, 236, 236));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Button, QColor(236, 236, 236));
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

inline QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(30, 30, 30));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(40, 40, 40));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(50, 50, 50));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

// The widget drawn on its window colour at `scale` device pixels per logical pixel.
inline QImage render(QWidget& widget, qreal scale = 1.0) {
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace plenwick::test
