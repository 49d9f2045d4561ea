#include "collector/CollectorChipStrip.h"

#include "app/AppState.h"
#include "collector/CollectorActions.h"
#include "collector/CollectorMotion.h"
#include "collector/CollectorTexts.h"
#include "shell/FileIconCache.h"

#include <QContextMenuEvent>
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
#include <unordered_map>
#include <utility>

namespace plenwick {

CollectorChipStrip::CollectorChipStrip(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), transition_(new QVariantAnimation(this)) {
    makeCollectorSpring(*transition_);
    transition_->setStartValue(0.0);
    transition_->setEndValue(1.0);
    connect(transition_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(transition_, &QVariantAnimation::finished, this, &CollectorChipStrip::settle);
    // A chip drawn with the generic icon of its type shows the item's own once it is in.
    repaintWhenIconReady(*this, [this](const std::string& path) { return iconPaths_.count(path) > 0; });
    installCollectorAccessibleFactory();
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumWidth(150);
}

QSize CollectorChipStrip::sizeHint() const { return QSize(150, 42); }
QSize CollectorChipStrip::minimumSizeHint() const { return QSize(150, 42); }

void CollectorChipStrip::rebuild(ShellCollectorChipMetrics metrics, const ShellCollectorCache& cache) {
    const NodeRef keepHover = hoveredNode_;
    // Where each chip stands now, before the chips are made anew.
    struct Shown {
        qreal left;
        double presence;
        std::size_t index;
    };
    std::unordered_map<const FileNode*, Shown> shown;
    for (std::size_t i = 0; i < chips_.size(); ++i)
        shown[chips_[i].node().get()] = {lefts_[i] + shownShift(i), chipPresence(i), i};
    const std::vector<NodeRef>& nodes = state_.collector();
    bool changed = nodes.size() != chips_.size();
    for (const NodeRef& node : nodes) changed = changed || !shown.count(node.get());
    const bool moves = collectorMoves(*this) && (changed || transition_->state() == QAbstractAnimation::Running);

    std::vector<Leaving> leaving;
    if (moves) {
        const double p = progress();
        for (Leaving& gone : leaving_) {
            gone.presence *= 1 - p;
            if (gone.presence > 0) leaving.push_back(std::move(gone));
        }
        // Chips whose items went leave as pictures, those in view only.
        std::unordered_set<const FileNode*> staying;
        for (const NodeRef& node : nodes) staying.insert(node.get());
        const qreal dpr = devicePixelRatioF();
        for (const auto& [node, at] : shown) {
            if (staying.count(node)) continue;
            const ShellCollectorChip& chip = chips_[at.index];
            const QRectF rect(QPointF(at.left, 0), chip.size());
            if (rect.right() < offset_ || rect.left() > offset_ + width()) continue;
            QImage picture((rect.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
            picture.setDevicePixelRatio(dpr);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            chip.paint(painter, QRectF(QPointF(0, 0), rect.size()), palette(), false);
            leaving.push_back({std::move(picture), rect, at.presence});
        }
    }

    chips_.clear();
    lefts_.clear();
    motion_.clear();
    iconPaths_.clear();
    qreal x = kInsetX;
    for (const NodeRef& node : nodes) {
        chips_.emplace_back(state_, node, metrics, cache.keptBytes(node.get()));
        iconPaths_.insert(node->url());
        lefts_.push_back(x);
        const auto was = shown.find(node.get());
        // A chip that stays starts from where it stood; one that comes, from nothing.
        motion_.push_back(was == shown.end() ? Motion{0, 0} : Motion{was->second.left - x, was->second.presence});
        x += chips_.back().size().width() + kSpacing;
    }
    contentWidth_ = chips_.empty() ? 0 : x - kSpacing + kInsetX;
    leaving_ = std::move(leaving);
    if (moves) {
        transition_->stop();
        transition_->start();
    } else {
        settle();
    }
    hovered_ = -1;
    for (std::size_t i = 0; i < chips_.size(); ++i)
        if (chips_[i].node() == keepHover) hovered_ = static_cast<int>(i);
    if (hovered_ < 0 && hoveredNode_) {
        // The chip under the pointer went.
        collectorHoverLeftLater(this, state_, std::exchange(hoveredNode_, NodeRef()));
    }
    setOffset(offset_);
    update();
}

double CollectorChipStrip::progress() const {
    return transition_->state() == QAbstractAnimation::Running ? transition_->currentValue().toDouble() : 1.0;
}

double CollectorChipStrip::chipPresence(std::size_t index) const {
    const double from = index < motion_.size() ? motion_[index].presence : 1;
    return from + (1 - from) * progress();
}

qreal CollectorChipStrip::shownShift(std::size_t index) const {
    return index < motion_.size() ? motion_[index].shift * (1 - progress()) : 0;
}

void CollectorChipStrip::settle() {
    transition_->stop();
    for (Motion& m : motion_) m = Motion{};
    leaving_.clear();
    update();
}

QRectF CollectorChipStrip::chipRect(std::size_t index) const {
    const QSizeF size = chips_[index].size();
    return {lefts_[index] - offset_, (height() - size.height()) / 2, size.width(), size.height()};
}

bool CollectorChipStrip::isChipShown(std::size_t index) const {
    const QRectF rect = chipRect(index);
    if (rect.width() >= width()) return rect.right() > 0 && rect.left() < width();
    // Half a pixel either way for rounding of the scroll offset.
    return rect.left() >= -0.5 && rect.right() <= width() + 0.5;
}

int CollectorChipStrip::chipAt(QPointF point) const {
    for (std::size_t i = 0; i < chips_.size(); ++i)
        if (chipRect(i).contains(point) && isChipShown(i)) return static_cast<int>(i);
    return -1;
}

QString CollectorChipStrip::removeButtonName(int index) const {
    return collectorRemoveAccessibleName(*chips_[static_cast<std::size_t>(index)].node(), *state_.volumeNames());
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
    if (!animated || !collectorMoves(*this)) {
        setOffset(target);
        return;
    }
    if (!scroll_) {
        scroll_ = new QVariantAnimation(this);
        makeCollectorSpring(*scroll_);
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
        const double moved = progress();
        for (const Leaving& gone : leaving_) {
            const QRectF rect = gone.rect.translated(-offset_, (height() - gone.rect.height()) / 2);
            paintChip(p, rect, gone.presence * (1 - moved), [&] { p.drawImage(rect, gone.picture); });
        }
        for (std::size_t i = 0; i < chips_.size(); ++i) {
            // A chip on its way to a place in view slides in whole; one cut by an edge
            // at its place is left out.
            if (!isChipShown(i)) continue;
            const QRectF rect = chipRect(i).translated(shownShift(i), 0);
            paintChip(p, rect, chipPresence(i),
                      [&] { chips_[i].paint(p, rect, palette(), static_cast<int>(i) == hovered_); });
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

void CollectorChipStrip::paintChip(QPainter& painter, const QRectF& rect, double presence,
                                   const std::function<void()>& draw) const {
    if (presence <= 0) return;
    if (presence >= 1) {
        draw();
        return;
    }
    // Fading and growing from 0.8 of its size about its centre.
    painter.save();
    painter.setOpacity(presence);
    const qreal scale = 0.8 + 0.2 * presence;
    painter.translate(rect.center());
    painter.scale(scale, scale);
    painter.translate(-rect.center());
    draw();
    painter.restore();
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
    if (left) collectorHoverLeft(state_, left);
    update();
}

void CollectorChipStrip::releaseHover() {
    const NodeRef left = std::move(hoveredNode_);
    hoveredNode_.reset();
    hovered_ = -1;
    collectorHoverLeft(state_, left);
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
    settle();
    // Going away releases the hovered node when it is still ours.
    collectorHoverLeft(state_, std::move(hoveredNode_));
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
