#include "collector/ShellFreedBadge.h"

#include "collector/CollectorMotion.h"
#include "collector/CollectorPaint.h"
#include "shell/ShellShadow.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace plenwick {

namespace {
constexpr int kShadowRoom = 8;
constexpr int kIconSize = 14;
} // namespace

ShellFreedBadge::ShellFreedBadge(QWidget* parent) : QWidget(parent), fade_(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    makeCollectorSpring(*fade_);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        progress_ = v.toDouble();
        update();
    });
    connect(fade_, &QVariantAnimation::finished, this, [this] {
        if (!wanted_) hide();
    });
    hide();
}

void ShellFreedBadge::setText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    setAccessibleName(text);
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize ShellFreedBadge::sizeHint() const {
    const QFontMetrics metrics(collectorFont(CollectorFont::calloutSemibold));
    const int width = 14 + kIconSize + 6 + metrics.horizontalAdvance(text_) + 14;
    const int height = std::max(kIconSize, metrics.height()) + 14;
    return QSize(width + 2 * kShadowRoom, height + 2 * kShadowRoom);
}

void ShellFreedBadge::appear(bool shown, bool animated) {
    if (shown == wanted_ && (animated || fade_->state() != QAbstractAnimation::Running)) return;
    wanted_ = shown;
    fade_->stop();
    if (shown) show();
    if (!animated) {
        progress_ = shown ? 1 : 0;
        if (!shown) hide();
        update();
        return;
    }
    fade_->setStartValue(progress_);
    fade_->setEndValue(shown ? 1.0 : 0.0);
    fade_->start();
}

void ShellFreedBadge::paintEvent(QPaintEvent*) {
    if (progress_ <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(progress_);
    const QRectF capsule = QRectF(rect()).adjusted(kShadowRoom, kShadowRoom, -kShadowRoom, -kShadowRoom);
    const qreal scale = 0.9 + 0.1 * progress_;
    p.translate(capsule.center());
    p.scale(scale, scale);
    p.translate(-capsule.center());

    QPainterPath shape;
    shape.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    paintSoftShadow(p, shape, 6, 2, QColor(0, 0, 0, static_cast<int>(255 * 0.12)));
    // A material of the window's colour, nearly opaque.
    p.setPen(Qt::NoPen);
    p.setBrush(shellWithOpacity(shellWindowBackgroundColor(palette()), 0.94));
    p.drawPath(shape);
    const QColor green(52, 199, 89);
    p.setPen(QPen(shellWithOpacity(green, 0.4), 1));
    p.setBrush(Qt::NoBrush);
    const QRectF border = capsule.adjusted(0.5, 0.5, -0.5, -0.5);
    p.drawRoundedRect(border, border.height() / 2, border.height() / 2);

    const QRectF icon(capsule.left() + 14, capsule.center().y() - kIconSize / 2.0, kIconSize, kIconSize);
    drawSymbol(p, Symbol::checkmarkCircleFill, icon, green);
    p.setFont(collectorFont(CollectorFont::calloutSemibold));
    p.setPen(shellPrimaryColor(palette()));
    p.drawText(QRectF(icon.right() + 6, capsule.top(), capsule.right() - 14 - icon.right() - 6 + 1, capsule.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text_);
}

} // namespace plenwick
