#include "collector/CollectorChipStrip.h"

#include "app/AppState.h"
#include "collector/CollectorActions.h"
#include "collector/CollectorTexts.h"
#include "shell/FileIconCache.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QHelpEvent>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVariantAnimation>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {
constexpr int kScrollMs = 220;
} // namespace

CollectorChipStrip::CollectorChipStrip(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    // A chip drawn with the generic icon of its type shows the item's own once it is in.
    repaintWhenIconReady(*this, [this](const std::string& path) { return iconPaths_.count(path) > 0; });
    installCollectorAccessibleFactory();
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumWidth(150);
}

QSize CollectorChipStrip::sizeHint() const { return QSize(150, 42); }
QSize CollectorChipStrip::minimumSizeHint() const { return QSize(150, 42); }

void CollectorChipStrip::rebuild(ShellCollectorChipMetrics metrics) {
    const NodeRef keepHover = hoveredNode_;
    chips_.clear();
    lefts_.clear();
    iconPaths_.clear();
    qreal x = kInsetX;
    for (const NodeRef& node : state_.collector()) {
        chips_.emplace_back(state_, node, metrics);
        iconPaths_.insert(node->url());
        lefts_.push_back(x);
        x += chips_.back().size().width() + kSpacing;
    }
    contentWidth_ = chips_.empty() ? 0 : x - kSpacing + kInsetX;
    hovered_ = -1;
    for (std::size_t i = 0; i < chips_.size(); ++i)
        if (chips_[i].node() == keepHover) hovered_ = static_cast<int>(i);
    if (hovered_ < 0 && hoveredNode_) releaseHover();
    setOffset(offset_);
    update();
}

QRectF CollectorChipStrip::chipRect(std::size_t index) const {
    const QSizeF size = chips_[index].size();
    return {lefts_[index] - offset_, (height() - size.height()) / 2, size.width(), size.height()};
}

int CollectorChipStrip::chipAt(QPointF point) const {
    for (std::size_t i = 0; i < chips_.size(); ++i)
        if (chipRect(i).contains(point)) return static_cast<int>(i);
    return -1;
}

QString CollectorChipStrip::removeButtonName(int index) const {
    return collectorRemoveAccessibleName(*chips_[static_cast<std::size_t>(index)].node());
}

QRect CollectorChipStrip::removeButtonRect(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return chips_[i].removeRect(chipRect(i)).toAlignedRect();
}

void CollectorChipStrip::pressRemoveButton(int index) {
    const NodeRef node = chips_[static_cast<std::size_t>(index)].node(); // the chips are rebuilt by what follows
    state_.removeFromCollector(node);
}

void CollectorChipStrip::setOffset(qreal offset) {
    const qreal most = std::max<qreal>(0, contentWidth_ - width());
    offset = std::clamp<qreal>(offset, 0, most);
    if (offset == offset_) return;
    offset_ = offset;
    update();
}

void CollectorChipStrip::scrollToLast(bool animated) {
    if (chips_.empty()) return;
    const qreal target = std::max<qreal>(0, contentWidth_ - width());
    if (scroll_) scroll_->stop();
    if (!animated || !isVisible()) {
        setOffset(target);
        return;
    }
    if (!scroll_) {
        scroll_ = new QVariantAnimation(this);
        scroll_->setDuration(kScrollMs);
        scroll_->setEasingCurve(QEasingCurve::OutCubic);
        connect(scroll_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setOffset(v.toDouble()); });
    }
    scroll_->setStartValue(offset_);
    scroll_->setEndValue(target);
    scroll_->start();
}

void CollectorChipStrip::paintEvent(QPaintEvent*) {
    if (chips_.empty() || width() <= 0 || height() <= 0) return;
    // The chips are drawn into a layer whose edges are then faded out.
    const qreal dpr = devicePixelRatioF();
    QImage layer(QSize(std::ceil(width() * dpr), std::ceil(height() * dpr)), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        for (std::size_t i = 0; i < chips_.size(); ++i) {
            const QRectF rect = chipRect(i);
            if (rect.right() < 0 || rect.left() > width()) continue;
            chips_[i].paint(p, rect, palette(), static_cast<int>(i) == hovered_);
        }
        QLinearGradient fade(0, 0, width(), 0);
        fade.setColorAt(0, Qt::transparent);
        fade.setColorAt(0.015, Qt::black);
        fade.setColorAt(0.97, Qt::black);
        fade.setColorAt(1, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.fillRect(QRectF(0, 0, width(), height()), fade);
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), layer);
}

void CollectorChipStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setOffset(offset_);
    emit widthChanged(width());
}

void CollectorChipStrip::wheelEvent(QWheelEvent* event) {
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    qreal delta = 0;
    if (!pixels.isNull())
        delta = std::abs(pixels.x()) > std::abs(pixels.y()) ? pixels.x() : pixels.y();
    else
        delta = (std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y()) / 2.0;
    if (contentWidth_ <= width()) {
        event->ignore();
        return;
    }
    if (scroll_) scroll_->stop();
    setOffset(offset_ - delta);
    hoverAt(event->position());
    event->accept();
}

void CollectorChipStrip::hoverAt(QPointF point) {
    const int index = chipAt(point);
    if (index == hovered_) return;
    const NodeRef left = hoveredNode_;
    hovered_ = index;
    hoveredNode_ = index >= 0 ? chips_[index].node() : NodeRef();
    // The new chip's enter comes before the old one's leave, as when the pointer
    // moves straight from one item to the next.
    if (hoveredNode_) collectorHoverEntered(state_, hoveredNode_);
    if (left) collectorHoverLeft(state_, left.get());
    update();
}

void CollectorChipStrip::releaseHover() {
    const NodeRef left = std::move(hoveredNode_);
    hoveredNode_.reset();
    hovered_ = -1;
    if (left) collectorHoverLeft(state_, left.get());
    update();
}

void CollectorChipStrip::mouseMoveEvent(QMouseEvent* event) { hoverAt(event->position()); }

void CollectorChipStrip::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? chipAt(event->position()) : -1;
    pressedOnRemove_ = pressed_ >= 0 && chips_[pressed_].removeRect(chipRect(pressed_)).contains(event->position());
    event->accept();
}

void CollectorChipStrip::mouseReleaseEvent(QMouseEvent* event) {
    const int index = chipAt(event->position());
    const bool onRemove = index >= 0 && chips_[index].removeRect(chipRect(index)).contains(event->position());
    const bool click = event->button() == Qt::LeftButton && index >= 0 && index == pressed_ && onRemove == pressedOnRemove_;
    pressed_ = -1;
    if (!click) return;
    const NodeRef node = chips_[index].node(); // the chips may be rebuilt by what follows
    if (onRemove)
        state_.removeFromCollector(node);
    else
        revealCollectedNode(state_, node);
}

void CollectorChipStrip::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    releaseHover();
}

void CollectorChipStrip::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Going away releases the hovered node when it is still ours.
    if (hoveredNode_) collectorHoverLeft(state_, hoveredNode_.get());
    hoveredNode_.reset();
    hovered_ = -1;
}

void CollectorChipStrip::contextMenuEvent(QContextMenuEvent* event) {
    const int index = chipAt(event->pos());
    if (index < 0) return;
    emit contextMenuRequested(chips_[index].node(), event->globalPos());
}

bool CollectorChipStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = chipAt(help->pos());
        if (index < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const QRectF rect = chipRect(index);
        const ShellCollectorChip& chip = chips_[index];
        QString text = chip.help();
        if (chip.removeRect(rect).contains(help->pos())) text = QStringLiteral("Remove from Collector");
        else if (chip.badgeRect(rect).contains(help->pos())) text = chip.badgeHelp();
        QToolTip::showText(help->globalPos(), text, this, rect.toAlignedRect());
        return true;
    }
    return QWidget::event(event);
}

} // namespace plenwick
