#include "chartviews/SunburstLabelPainter.h"

#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstLabels.h"
#include "platform/ByteCountFormatter.h"
#include "shell/ShellShadow.h"
#include "shell/ShellStyle.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <unordered_map>
#include <vector>

namespace plenwick {

namespace {

// A label's text drawn once into an image, name over size and name alone, with the
// shadow of white text baked in. Labels are drawn turned to any angle, and QPainter
// renders turned glyphs anew for every angle, so text drawn directly would cost
// every frame of a zoom; the images are reused across paints and frames.
class LabelImage {
public:
    static constexpr double padding = 3; // room for the shadow around the text box

    LabelImage(const QString& name, const QString& size, double points, bool dark, double scale,
               const QPaintDevice* device)
        : name_(name), size_(size), dark_(dark), scale_(scale),
          nameFont_(sunburstFont(points, QFont::DemiBold, device)),
          sizeFont_(sunburstFont(points - 1.5, QFont::Normal, device)), nameMetrics_(nameFont_, device) {
        const QFontMetricsF& nameMetrics = nameMetrics_;
        const QFontMetricsF sizeMetrics(sizeFont_, device);
        if (nameMetrics.horizontalAdvance(name_) > 400) name_ = nameMetrics.elidedText(name_, Qt::ElideMiddle, 400);
        nameBox_ = QSizeF(std::min(nameMetrics.horizontalAdvance(name_), 400.0), std::min(nameMetrics.height(), 40.0));
        sizeBox_ = QSizeF(std::min(sizeMetrics.horizontalAdvance(size_), 400.0), std::min(sizeMetrics.height(), 40.0));
        nameAscent_ = nameMetrics.ascent();
        sizeAscent_ = sizeMetrics.ascent();
    }

    QSizeF oneLine() const { return nameBox_; }
    // The name shortened in the middle to `width`, or nothing when too little of it
    // would be left to read.
    // Kept by whole points, as the same arcs ask again every frame of a zoom.
    const QString& shortenedName(int width) {
        const auto known = shortened_.find(width);
        if (known != shortened_.end()) return known->second;
        if (shortened_.size() > 64) shortened_.clear();
        QString shortened = nameMetrics_.elidedText(name_, Qt::ElideMiddle, width);
        if (shortened.size() < 4) shortened.clear();
        return shortened_.emplace(width, std::move(shortened)).first->second;
    }
    QSizeF twoLines() const {
        return {std::max(nameBox_.width(), sizeBox_.width()), nameBox_.height() + sizeBox_.height() - 2};
    }

    // The image of a layout; its box is centred on the image's centre.
    const QImage& image(bool two) {
        QImage& image = two ? two_ : one_;
        if (image.isNull()) image = render(two);
        return image;
    }

private:
    QImage render(bool two) const {
        const QSizeF box = two ? twoLines() : oneLine();
        const QSize pixels(static_cast<int>(std::ceil((box.width() + 2 * padding) * scale_)),
                           static_cast<int>(std::ceil((box.height() + 2 * padding) * scale_)));
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale_);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QPointF origin(padding + box.width() / 2, padding + box.height() / 2);
        struct Line {
            const QString& text;
            const QFont& font;
            QPointF baseline;
            double opacity;
        };
        std::vector<Line> lines;
        if (two) {
            lines.push_back({name_, nameFont_,
                             origin + QPointF(-nameBox_.width() / 2, -box.height() / 2 + nameAscent_), 1});
            lines.push_back({size_, sizeFont_,
                             origin + QPointF(-sizeBox_.width() / 2,
                                              box.height() / 2 - sizeBox_.height() + sizeAscent_),
                             0.8});
        } else {
            lines.push_back({name_, nameFont_,
                             origin + QPointF(-nameBox_.width() / 2, -nameBox_.height() / 2 + nameAscent_), 1});
        }
        if (!dark_) {
            // White text gets a soft shadow: black at 0.35, blurred over 1.5 points,
            // half a point down.
            QImage shadow(pixels, QImage::Format_Alpha8);
            shadow.setDevicePixelRatio(scale_);
            shadow.fill(0);
            {
                QPainter s(&shadow);
                for (const Line& line : lines) {
                    s.setFont(line.font);
                    s.setPen(QColor(0, 0, 0, qRound(255 * line.opacity)));
                    s.drawText(line.baseline + QPointF(0, 0.5), line.text);
                }
            }
            blurAlpha(shadow, 0.75 * scale_);
            p.setOpacity(0.35);
            p.drawImage(QPointF(0, 0), shadow);
        }
        for (const Line& line : lines) {
            p.setFont(line.font);
            p.setOpacity(line.opacity);
            p.setPen(dark_ ? QColor::fromRgbF(0.06f, 0.06f, 0.06f, 0.85f) : QColor(Qt::white));
            p.drawText(line.baseline, line.text);
        }
        return image;
    }

    QString name_, size_;
    bool dark_;
    double scale_;
    QFont nameFont_, sizeFont_;
    QFontMetricsF nameMetrics_;
    std::unordered_map<int, QString> shortened_;
    QSizeF nameBox_, sizeBox_;
    double nameAscent_ = 0, sizeAscent_ = 0;
    QImage one_, two_;
};

LabelImage& labelImage(const QString& name, const QString& size, double points, bool dark, double scale,
                       const QPaintDevice* device) {
    static std::unordered_map<QString, std::unique_ptr<LabelImage>> cache;
    const int dpi = device ? device->logicalDpiY() : 96;
    QString key = name + QChar(0) + size + QChar(0) + QString::number(qRound(points * 100)) + QChar(0) +
                  QString::number(qRound(scale * 100)) + QChar(0) + QString::number(dpi) + (dark ? u'd' : u'w');
    auto it = cache.find(key);
    if (it != cache.end()) return *it->second;
    if (cache.size() > 1024) cache.clear();
    return *cache.emplace(std::move(key), std::make_unique<LabelImage>(name, size, points, dark, scale, device))
                .first->second;
}

// Lays `label` centred at `anchor`, turned by `rotation`, over the painter's image with
// bilinear sampling. QPainter draws a turned image as a textured fill, which it
// blends on its thread pool and waits for; a label is small enough to do here. False
// when the painter does not draw on a plain image, which QPainter then handles.
bool blitTurned(QPainter& painter, const QImage& label, const QPointF& anchor, double rotation) {
    auto* target = painter.device() && painter.device()->devType() == QInternal::Image
                       ? static_cast<QImage*>(painter.device())
                       : nullptr;
    const QTransform device = painter.deviceTransform();
    if (!target || target->format() != QImage::Format_ARGB32_Premultiplied || device.type() > QTransform::TxScale ||
        painter.hasClipping() || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const auto alpha = static_cast<quint32>(std::clamp(painter.opacity(), 0.0, 1.0) * 256);
    if (alpha == 0) return true;
    // Label pixels per device pixel, and the turn from device pixels into the label.
    const double ratio = label.devicePixelRatio() / device.m11();
    const double c = std::cos(rotation), s = std::sin(rotation);
    const QPointF centre = device.map(anchor);
    const double hw = label.width() / 2.0, hh = label.height() / 2.0;
    // The turned label's box on the target, in device pixels.
    const double ex = (std::abs(c) * hw + std::abs(s) * hh) / ratio, ey = (std::abs(s) * hw + std::abs(c) * hh) / ratio;
    const QRect box = QRectF(centre.x() - ex - 1, centre.y() - ey - 1, 2 * ex + 2, 2 * ey + 2).toAlignedRect().intersected(
        target->rect());
    const int w = label.width(), h = label.height();
    auto texel = [&](int x, int y) -> quint32 {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return reinterpret_cast<const quint32*>(label.constScanLine(y))[x];
    };
    auto mix = [](quint32 a, quint32 b, quint32 t) { // a + (b − a)·t/256 per channel
        const quint32 rb = ((a & 0xff00ff) * (256 - t) + (b & 0xff00ff) * t) >> 8;
        const quint32 ag = (((a >> 8) & 0xff00ff) * (256 - t) + ((b >> 8) & 0xff00ff) * t) >> 8;
        return (rb & 0xff00ff) | ((ag & 0xff00ff) << 8);
    };
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* d = reinterpret_cast<quint32*>(target->scanLine(y));
        const double dy = y + 0.5 - centre.y();
        for (int x = box.left(); x <= box.right(); ++x) {
            const double dx = x + 0.5 - centre.x();
            // Turn back by the rotation into the label's own pixels.
            const double u = (dx * c + dy * s) * ratio + hw - 0.5;
            const double v = (-dx * s + dy * c) * ratio + hh - 0.5;
            if (u <= -1 || v <= -1 || u >= w || v >= h) continue;
            const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
            const auto fx = static_cast<quint32>((u - x0) * 256), fy = static_cast<quint32>((v - y0) * 256);
            quint32 p = mix(mix(texel(x0, y0), texel(x0 + 1, y0), fx), mix(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), fx), fy);
            if (alpha < 256) {
                const quint32 rb = ((p & 0xff00ff) * alpha) >> 8, ag = (((p >> 8) & 0xff00ff) * alpha) >> 8;
                p = (rb & 0xff00ff) | ((ag & 0xff00ff) << 8);
            }
            const quint32 a = p >> 24;
            if (a == 0) continue;
            const quint32 keep = 255 - a;
            quint32 rb = (d[x] & 0xff00ff) * keep, ag = ((d[x] >> 8) & 0xff00ff) * keep;
            rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
            ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
            d[x] = p + (rb | ag);
        }
    }
    return true;
}

} // namespace

void drawSunburstLabel(QPainter& painter, const SunburstLabelArc& label, const QPointF& centre) {
    const double thickness = label.ro - label.ri;
    if (thickness < sunburstMinimumLabelThickness) return;
    const SunburstArc& arc = *label.arc;
    const QString name =
        arc.isHiddenSpace ? QStringLiteral("Hidden space") : QString::fromStdString(arc.node->displayName());
    const QString sizeText = QString::fromStdString(formatByteCount(arc.size));
    LabelImage& text = labelImage(name, sizeText,
                                  sunburstLabelFontSize(thickness), sunburstLabelTextIsDark(label.fill, label.collected),
                                  shellPaintScale(painter), painter.device());
    auto placement =
        placeSunburstLabel(centre, label.ri, label.ro, label.a0, label.a1, text.twoLines(), text.oneLine());
    LabelImage* shown = &text;
    if (!placement) {
        // A name too long for its arc is shortened to fit, as every name is: which
        // arcs are labelled follows their size, not the length of their names.
        const int room =
            static_cast<int>(sunburstLabelRoom(centre, label.ri, label.ro, label.a0, label.a1, text.oneLine().height()));
        const QString shortened = room > 0 ? text.shortenedName(room) : QString();
        if (shortened.isEmpty()) return;
        shown = &labelImage(shortened, sizeText, sunburstLabelFontSize(thickness),
                            sunburstLabelTextIsDark(label.fill, label.collected), shellPaintScale(painter),
                            painter.device());
        placement = placeSunburstLabel(centre, label.ri, label.ro, label.a0, label.a1, shown->twoLines(),
                                       shown->oneLine());
        if (!placement) return;
    }
    const QImage& image = shown->image(placement->twoLines);
    const QSizeF size = image.deviceIndependentSize();
    if (placement->rotation == 0) {
        // Upright text stays on the pixel grid, crisp.
        const double scale = shellPaintScale(painter);
        const QPointF topLeft = placement->anchor - QPointF(size.width() / 2, size.height() / 2);
        painter.drawImage(QPointF(std::round(topLeft.x() * scale) / scale, std::round(topLeft.y() * scale) / scale),
                          image);
    } else if (!blitTurned(painter, image, placement->anchor, placement->rotation)) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(placement->anchor);
        painter.rotate(placement->rotation * 180 / std::numbers::pi);
        painter.drawImage(QPointF(-size.width() / 2, -size.height() / 2), image);
        painter.restore();
    }
}

} // namespace plenwick
