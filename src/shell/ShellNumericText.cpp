#include "shell/ShellNumericText.h"

#include "platform/MotionPreference.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace plenwick {

namespace {

qreal digitWidth(const QFontMetricsF& metrics) {
    qreal widest = 0;
    for (char d = '0'; d <= '9'; ++d) widest = std::max(widest, metrics.horizontalAdvance(QChar::fromLatin1(d)));
    return widest;
}

qreal advance(QChar c, const QFontMetricsF& metrics, qreal digit) {
    if (c.isNull()) return 0;
    return c.isDigit() ? digit : metrics.horizontalAdvance(c);
}

} // namespace

std::vector<ShellNumericGlyph> shellNumericGlyphs(const QString& before, const QString& after) {
    const qsizetype n = std::max(before.size(), after.size());
    std::vector<ShellNumericGlyph> glyphs(static_cast<std::size_t>(n));
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype b = before.size() - n + i, a = after.size() - n + i;
        glyphs[static_cast<std::size_t>(i)] = {b >= 0 ? before[b] : QChar(), a >= 0 ? after[a] : QChar()};
    }
    return glyphs;
}

qreal shellNumericWidth(const QString& text, const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal digit = digitWidth(metrics);
    qreal width = 0;
    for (QChar c : text) width += advance(c, metrics, digit);
    return width;
}

ShellNumericText::ShellNumericText(QWidget& owner, int durationMs) : QObject(&owner), owner_(owner) {
    // A critically damped spring: a quick start, settling without overshoot.
    animation_.setDuration(durationMs);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, &owner_, qOverload<>(&QWidget::update));
}

void ShellNumericText::setText(const QString& text) {
    if (text == text_) return;
    // An interrupted roll goes on from the figure it was heading for.
    before_ = text_;
    text_ = text;
    animation_.stop();
    if (!before_.isEmpty() && owner_.isVisible() && !MotionPreference::shared().reduceMotion()) animation_.start();
    owner_.update();
}

void ShellNumericText::paint(QPainter& painter, const QRectF& box, Qt::Alignment alignment, const QFont& font,
                             const QColor& color) const {
    const QFontMetricsF metrics(font);
    const qreal digit = digitWidth(metrics);
    const bool rolling = isRolling();
    const double t = rolling ? animation_.currentValue().toDouble() : 1.0;
    const std::vector<ShellNumericGlyph> glyphs = shellNumericGlyphs(rolling ? before_ : text_, text_);
    // A place that changes width eases from the old width to the new.
    std::vector<qreal> widths;
    qreal total = 0;
    for (const ShellNumericGlyph& g : glyphs) {
        const qreal w = advance(g.before, metrics, digit) * (1 - t) + advance(g.after, metrics, digit) * t;
        widths.push_back(w);
        total += w;
    }
    qreal x = box.left();
    if (alignment & Qt::AlignRight) x = box.right() - total;
    else if (alignment & Qt::AlignHCenter) x = box.center().x() - total / 2;
    const qreal baseline = box.center().y() - metrics.height() / 2 + metrics.ascent();
    const qreal travel = metrics.height() * 0.6;

    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.setClipRect(box, Qt::IntersectClip);
    const qreal opacity = painter.opacity();
    auto draw = [&](QChar c, qreal left, qreal width, qreal y, qreal alpha) {
        if (c.isNull() || alpha <= 0) return;
        painter.setOpacity(opacity * alpha);
        const qreal w = advance(c, metrics, digit);
        // A digit sits in the middle of its cell.
        painter.drawText(QPointF(left + (width - w) / 2 + (w - metrics.horizontalAdvance(c)) / 2, y), QString(c));
    };
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const ShellNumericGlyph& g = glyphs[i];
        if (!g.changes()) {
            draw(g.after, x, widths[i], baseline, 1);
        } else {
            draw(g.before, x, widths[i], baseline - t * travel, 1 - t);
            draw(g.after, x, widths[i], baseline + (1 - t) * travel, t);
        }
        x += widths[i];
    }
    painter.restore();
}

} // namespace plenwick
