#include "chartviews/SunburstCentreDisc.h"

#include "platform/ByteCountFormatter.h"
#include "shell/ShellShadow.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QEasingCurve>
#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

constexpr double shadowMargin = 8;

QString shownSize(const SunburstCentreInfo& info) {
    return info.sizeKnown ? QString::fromStdString(formatByteCount(info.size)) : QStringLiteral("—");
}

// The longest head of `text` that fits `width`, broken after a space when one is near.
int headThatFits(const QString& text, const QFontMetricsF& metrics, double width) {
    int n = 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (int next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        if (metrics.horizontalAdvance(text.left(next)) > width) break;
        n = next;
    }
    if (n == 0 || n == text.size() || text[n].isSpace()) return n;
    const int space = static_cast<int>(text.lastIndexOf(QLatin1Char(' '), n - 1));
    return space > n / 2 ? space + 1 : n;
}

// The longest tail of `text` that fits `width` after an ellipsis.
QString ellipsisAndTail(const QString& text, const QFontMetricsF& metrics, double width) {
    const QString ellipsis(QChar(0x2026));
    QString best = ellipsis;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.toEnd();
    for (int prev = graphemes.toPreviousBoundary(); prev >= 0; prev = graphemes.toPreviousBoundary()) {
        const QString candidate = ellipsis + text.mid(prev);
        if (metrics.horizontalAdvance(candidate) > width) break;
        best = candidate;
    }
    return best;
}

} // namespace

QFont sunburstFontToFit(const QString& text, double points, QFont::Weight weight, double width, double minimumFactor,
                        const QPaintDevice* device) {
    QFont font = sunburstFont(points, weight, device);
    const double advance = QFontMetricsF(font, device).horizontalAdvance(text);
    if (advance <= width || advance <= 0) return font;
    // Glyph advances do not scale exactly with the size (hinting rounds them), so the
    // scaled text is measured again and made smaller until it fits, down to the least.
    double factor = std::max(minimumFactor, width / advance);
    font = sunburstFont(points * factor, weight, device);
    while (factor > minimumFactor && QFontMetricsF(font, device).horizontalAdvance(text) > width) {
        factor = std::max(minimumFactor, factor - 0.02);
        font = sunburstFont(points * factor, weight, device);
    }
    return font;
}

SunburstDiscScale SunburstDiscScale::forDiameter(double diameter) {
    return {std::clamp(diameter / 165, 0.5, 1.0), diameter < 96};
}

QStringList sunburstTitleLines(const QString& title, const QFontMetricsF& metrics, double width, int maxLines) {
    if (metrics.horizontalAdvance(title) <= width || title.isEmpty()) return {title};
    if (maxLines <= 1) return {metrics.elidedText(title, Qt::ElideMiddle, width)};
    const int head = std::max(headThatFits(title, metrics, width), 1);
    const QString rest = title.mid(head).trimmed();
    const QString first = title.left(head).trimmed();
    if (metrics.horizontalAdvance(rest) <= width) return {first, rest};
    return {first, ellipsisAndTail(rest, metrics, width)};
}

SunburstCentreDisc::SunburstCentreDisc(QWidget* parent) : QWidget(parent), sizeChange_(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    sizeChange_->setDuration(300);
    sizeChange_->setStartValue(0.0);
    sizeChange_->setEndValue(1.0);
    sizeChange_->setEasingCurve(QEasingCurve::OutCubic);
    connect(sizeChange_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

bool SunburstCentreDisc::isSizeChanging() const { return sizeChange_->state() == QAbstractAnimation::Running; }

void SunburstCentreDisc::setContent(const SunburstCentreInfo& info, bool canZoomOut, bool isHovered, double diameter,
                                    const QPointF& centre, const SunburstAppearance& appearance) {
    const double side = diameter + 2 * shadowMargin;
    const QRect frame = QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side).toAlignedRect();
    if (frame != geometry()) setGeometry(frame);
    if (info == info_ && canZoomOut == canZoomOut_ && isHovered == isHovered_ && diameter == diameter_ &&
        appearance == appearance_)
        return;
    if (info.title != info_.title) {
        // Another item: its figure shows at once, never the last one's under its name.
        sizeChange_->stop();
    } else if (info.size != info_.size && animated_ && isVisible() && diameter_ > 0) {
        // The same item's new figure rolls in from below while the old one leaves upwards.
        previousSize_ = shownSize(info_);
        sizeChange_->stop();
        sizeChange_->start();
    }
    info_ = info;
    canZoomOut_ = canZoomOut;
    isHovered_ = isHovered;
    diameter_ = diameter;
    appearance_ = appearance;
    update();
}

void SunburstCentreDisc::paintEvent(QPaintEvent*) {
    if (diameter_ <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = appearance_.isDark;
    const QPointF c = QRectF(rect()).center();
    const QColor accent = shellAccentColor(palette());
    const QColor primary = shellPrimaryColor(palette());
    const QColor secondary = shellSecondaryColor(palette());
    const bool washed = isHovered_ && canZoomOut_;

    // The disc itself, drawn once per look into an image: its soft shadow and washes
    // are translucent fills, which QPainter blends slowly.
    const double ratio = devicePixelRatioF();
    const BackgroundKey key{diameter_, ratio, dark, washed, accent.rgba(), primary.rgba(), size()};
    if (!(key == backgroundKey_)) {
        backgroundKey_ = key;
        background_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        background_.setDevicePixelRatio(ratio);
        background_.fill(Qt::transparent);
        QPainter p(&background_);
        p.setRenderHint(QPainter::Antialiasing);
        const double radius = diameter_ / 2;
        QPainterPath disc;
        disc.addEllipse(c, radius, radius);
        paintSoftShadow(p, disc, 6, 1, QColor::fromRgbF(0, 0, 0, dark ? 0.45f : 0.12f));
        p.setPen(Qt::NoPen);
        p.setBrush(dark ? sunburstColor({0.17, 0.17, 0.185}) : QColor(Qt::white));
        p.drawEllipse(c, radius, radius);
        if (washed) {
            p.setBrush(shellWithOpacity(accent, 0.1));
            p.drawEllipse(c, radius, radius);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(shellWithOpacity(primary, dark ? 0.12 : 0.07), 1));
        p.drawEllipse(c, radius - 0.5, radius - 0.5);
    }
    painter.drawImage(QPointF(0, 0), background_);

    // The text column: symbol, title, size, detail.
    const SunburstDiscScale type = SunburstDiscScale::forDiameter(diameter_);
    const double s = type.scale;
    const double width = diameter_ * (1 - 2 * 0.13);
    std::optional<Symbol> symbol;
    bool chevron = false;
    if (info_.isFocus && canZoomOut_) {
        symbol = Symbol::chevronUp;
        chevron = true;
    } else if (!type.compact) {
        symbol = info_.symbol;
    }
    const QFont titleFont = sunburstFont(13 * s, QFont::DemiBold, this);
    const QFontMetricsF titleMetrics(titleFont, this);
    const QStringList title = sunburstTitleLines(info_.title, titleMetrics, width, type.compact ? 1 : 2);
    const QString size = shownSize(info_);
    const QFont sizeFont = sunburstFontToFit(size, 20 * s, QFont::Bold, width, 0.5, this);
    const QFontMetricsF sizeMetrics(sizeFont, this);
    const QFont detailFont = sunburstFontToFit(info_.detail, 11 * s, QFont::Normal, width, 0.7, this);
    const QFontMetricsF detailMetrics(detailFont, this);

    const double spacing = 2 * s;
    const double symbolSide = 11 * s;
    double height = title.size() * titleMetrics.height() + spacing + sizeMetrics.height();
    if (symbol) height += symbolSide + 2 * s + spacing;
    if (!type.compact) height += spacing + detailMetrics.height();
    double y = c.y() - height / 2;

    if (symbol) {
        drawSymbol(painter, *symbol, QRectF(c.x() - symbolSide / 2, y, symbolSide, symbolSide),
                   chevron && isHovered_ ? accent : secondary, chevron ? 1.6 : 1);
        y += symbolSide + 2 * s + spacing;
    }
    auto line = [&](const QString& text, const QFont& font, const QFontMetricsF& metrics, const QColor& color,
                    double top) {
        painter.setFont(font);
        painter.setPen(color);
        const QString shown = metrics.elidedText(text, Qt::ElideMiddle, width);
        painter.drawText(QPointF(c.x() - metrics.horizontalAdvance(shown) / 2, top + metrics.ascent()), shown);
    };
    for (const QString& l : title) {
        line(l, titleFont, titleMetrics, primary, y);
        y += titleMetrics.height();
    }
    y += spacing;
    if (sizeChange_->state() == QAbstractAnimation::Running) {
        const double t = sizeChange_->currentValue().toDouble();
        const double travel = sizeMetrics.height() * 0.6;
        painter.save();
        painter.setClipRect(QRectF(c.x() - width / 2, y, width, sizeMetrics.height()));
        painter.setOpacity(1 - t);
        line(previousSize_, sizeFont, sizeMetrics, primary, y - t * travel);
        painter.setOpacity(t);
        line(size, sizeFont, sizeMetrics, primary, y + (1 - t) * travel);
        painter.restore();
    } else {
        line(size, sizeFont, sizeMetrics, primary, y);
    }
    y += sizeMetrics.height();
    if (!type.compact) line(info_.detail, detailFont, detailMetrics, secondary, y + spacing);
}

} // namespace plenwick
