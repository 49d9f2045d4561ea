#pragma once
// The strip of chips in the collector bar's wide layout: one chip per collected node
// in the collector's order, scrolled sideways (wheel or the scroll to the newest
// item), fading out at both edges. Chips are drawn, not made as widgets, so a
// collector of thousands of items costs only the chips in view.

#include "collector/CollectorAccessible.h"
#include "collector/CollectorRules.h"
#include "collector/ShellCollectorChip.h"

#include <QPoint>
#include <QWidget>

#include <string>
#include <unordered_set>
#include <vector>

class QVariantAnimation;

namespace plenwick {

class AppState;

class CollectorChipStrip final : public QWidget, public CollectorRemoveButtons {
    Q_OBJECT

public:
    explicit CollectorChipStrip(AppState& state, QWidget* parent = nullptr);

    // Builds the chips again from the state with these metrics.
    void rebuild(ShellCollectorChipMetrics metrics);
    // Scrolls until the last chip's trailing edge is in view.
    void scrollToLast(bool animated);

    qreal scrollOffset() const noexcept { return offset_; }
    qreal contentWidth() const noexcept { return contentWidth_; }
    const std::vector<ShellCollectorChip>& chips() const noexcept { return chips_; }
    // The chip's rectangle in the strip's coordinates (scrolling included).
    QRectF chipRect(std::size_t index) const;
    // The chip under `point`, or -1.
    int chipAt(QPointF point) const;

    static constexpr qreal kInsetX = 4, kInsetY = 6, kSpacing = 6;

    // The chips' remove buttons, for assistive technology.
    int removeButtonCount() const override { return static_cast<int>(chips_.size()); }
    QString removeButtonName(int index) const override;
    QRect removeButtonRect(int index) const override;
    void pressRemoveButton(int index) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void widthChanged(double width);
    void contextMenuRequested(const NodeRef& node, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setOffset(qreal offset);
    void hoverAt(QPointF point);
    void releaseHover();

    AppState& state_;
    std::vector<ShellCollectorChip> chips_;
    std::vector<qreal> lefts_; // each chip's left edge in content coordinates
    std::unordered_set<std::string> iconPaths_; // the chips' paths, whose icons may arrive later
    qreal contentWidth_ = 0;
    qreal offset_ = 0;
    int hovered_ = -1;
    NodeRef hoveredNode_;
    int pressed_ = -1;
    bool pressedOnRemove_ = false;
    QVariantAnimation* scroll_ = nullptr;
};

} // namespace plenwick
