#pragma once
// Light and dark palettes as a desktop would give them, for drawing widgets in both appearances.

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

namespace plenwick::test {

struct PaletteColors {
    QColor window, text, base, button, light, mid, dark, highlight;
};

inline QPalette makePalette(const PaletteColors& c) {
    // Derived roles (bevels, disabled text) follow from the button colour.
    QPalette p(c.button, c.window);
    p.setColor(QPalette::WindowText, c.text);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::Text, c.text);
    p.setColor(QPalette::ButtonText, c.text);
    p.setColor(QPalette::Light, c.light);
    p.setColor(QPalette::Midlight, c.light);
    p.setColor(QPalette::Mid, c.mid);
    p.setColor(QPalette::Dark, c.dark);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

inline QPalette lightPalette() {
    return makePalette({QColor(236, 236, 236), Qt::black, Qt::white, QColor(246, 246, 246), Qt::white,
                        QColor(200, 200, 200), QColor(160, 160, 160), QColor(0, 122, 255)});
}

inline QPalette darkPalette() {
    return makePalette({QColor(30, 30, 30), Qt::white, QColor(40, 40, 40), QColor(60, 60, 60), QColor(80, 80, 80),
                        QColor(50, 50, 50), QColor(20, 20, 20), QColor(10, 132, 255)});
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
