#pragma once
// The strip of chips in the collector bar's wide layout: one chip per collected node
// in the collector's order, scrolled sideways (wheel or the scroll to the newest
// item), fading out at both edges. Only chips that are whole in view are drawn: a
// chip cut by an edge shows when scrolled in. Chips are drawn, not made as widgets,
// so a collector of thousands of items costs only the chips in view.
//
// When items come or go, a chip that comes fades in growing from 0.8 of its size
// about its centre, one that goes fades out shrinking the same way (as a picture: its
// node is no longer the strip's), and the chips that stay slide to their new places.

#include "collector/CollectorAccessible.h"
#include "collector/CollectorRules.h"
#include "collector/ShellCollectorCache.h"
#include "collector/ShellCollectorChip.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
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

    // Builds the chips again from the state with these metrics; `cache` (refreshed for
    // the state) tells what of each item stays under other names.
    void rebuild(ShellCollectorChipMetrics metrics, const ShellCollectorCache& cache);
    // Scrolls until the last chip's trailing edge is in view.
    void scrollToLast(bool animated);

    // Items coming and going: running while chips move.
    QVariantAnimation* transition() const { return transition_; }
    // How far the chip has come in, 0 … 1 (1 once it stands).
    double chipPresence(std::size_t index) const;
    // Chips of items gone that are still fading out.
    std::size_t leavingCount() const noexcept { return leaving_.size(); }

    qreal scrollOffset() const noexcept { return offset_; }
    qreal contentWidth() const noexcept { return contentWidth_; }
    const std::vector<ShellCollectorChip>& chips() const noexcept { return chips_; }
    // The chip's rectangle in the strip's coordinates (scrolling included).
    QRectF chipRect(std::size_t index) const;
    // Whether the chip is drawn: whole in view (or wider than the strip itself).
    bool isChipShown(std::size_t index) const;
    // The shown chip under `point`, or -1.
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
    // Where a chip was when the items changed: how far from its new place, and how far in.
    struct Motion {
        qreal shift = 0;
        double presence = 1;
    };
    // A chip whose item went, as it looked.
    struct Leaving {
        QImage picture;
        QRectF rect; // in content coordinates
        double presence = 1;
    };
    double progress() const;
    qreal shownShift(std::size_t index) const;
    void settle();
    void paintChip(QPainter& painter, const QRectF& rect, double presence, const std::function<void()>& draw) const;

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
    std::vector<Motion> motion_; // one per chip
    std::vector<Leaving> leaving_;
    QVariantAnimation* transition_;
};

} // namespace plenwick
