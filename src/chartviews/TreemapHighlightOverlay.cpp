#include "chartviews/TreemapHighlightOverlay.h"

#include "app/AppState.h"
#include "chartviews/TreemapModel.h"

#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>

namespace plenwick {

TreemapHighlight treemapHighlight(const TreemapLayout* layout, std::optional<std::int32_t> hoverCell,
                                  const FileNode* hovered, const FileNode* selection) {
    TreemapHighlight out;
    if (!layout || layout->empty() || !(layout->size.width > 0) || !(layout->size.height > 0)) return out;
    const std::optional<std::int32_t> sel = selection ? layout->cellIndexOfNode(selection) : std::nullopt;
    std::optional<std::int32_t> hv;
    if (hoverCell && *hoverCell >= 0 && static_cast<std::size_t>(*hoverCell) < layout->nodes.size()) {
        const auto h = static_cast<std::size_t>(*hoverCell);
        if (hovered)
            hv = layout->nodes[h].get() == hovered ? hoverCell : layout->cellIndexOfNode(hovered);
        else if (layout->cells[h].restCount > 0)
            hv = hoverCell;
    } else if (hovered) {
        hv = layout->cellIndexOfNode(hovered);
    }
    if (hv && *hv != 0 && hv != sel) out.hover = hv;
    if (sel && *sel != 0) out.selection = sel;
    return out;
}

QRectF treemapCellRect(const TreemapLayout& layout, std::int32_t cell, QSizeF canvas) {
    const double sx = canvas.width() / layout.size.width, sy = canvas.height() / layout.size.height;
    const TreemapRect& r = layout.cells[static_cast<std::size_t>(cell)].rect;
    return {r.x0 * sx, r.y0 * sy, (r.x1 - r.x0) * sx, (r.y1 - r.y0) * sy};
}

TreemapHighlightOverlay::TreemapHighlightOverlay(AppState& state, TreemapModel& model, QWidget* parent)
    : QWidget(parent), state_(state), model_(model) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    connect(&model_, &TreemapModel::layoutChanged, this, &TreemapHighlightOverlay::refresh);
    connect(&model_, &TreemapModel::hoverCellChanged, this, &TreemapHighlightOverlay::refresh);
    connect(&state_, &AppState::changed, this, [this](quint64 fields) {
        using F = AppState::Field;
        if (fields & (AppState::bit(F::selection) | AppState::bit(F::hovered))) refresh();
    });
}

QRegion TreemapHighlightOverlay::outlinedRegion() const {
    const TreemapLayout* layout = model_.layout().get();
    QRegion out;
    if (!layout) return out;
    // With a margin for the antialiased edges.
    for (const std::optional<std::int32_t>& cell : {highlight_.hover, highlight_.selection})
        if (cell) out += treemapCellRect(*layout, *cell, size()).adjusted(-2, -2, 2, 2).toAlignedRect();
    return out;
}

void TreemapHighlightOverlay::refresh() {
    const TreemapLayout* layout = model_.layout().get();
    const TreemapHighlight next =
        treemapHighlight(layout, model_.hoverCell(), state_.hovered().get(), state_.selection().get());
    if (next == highlight_ && layout == shownLayout_) return;
    highlight_ = next;
    shownLayout_ = layout;
    const QRegion now = outlinedRegion();
    // Only where an outline was and where one is now.
    const QRegion dirty = shown_ + now;
    shown_ = now;
    if (!dirty.isEmpty()) update(dirty);
}

void TreemapHighlightOverlay::resizeEvent(QResizeEvent*) {
    shown_ = outlinedRegion();
    update();
}

void TreemapHighlightOverlay::paintEvent(QPaintEvent*) {
    const TreemapLayout* layout = model_.layout().get();
    if (!layout || (!highlight_.hover && !highlight_.selection)) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    if (highlight_.hover) {
        const QRectF r = treemapCellRect(*layout, *highlight_.hover, size()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath path;
        path.addRect(r);
        p.fillPath(path, QColor::fromRgbF(1, 1, 1, 0.16f));
        p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.95f), 1));
        p.drawRect(r);
    }
    if (highlight_.selection) {
        const QRectF whole = treemapCellRect(*layout, *highlight_.selection, size());
        const QRectF dark = whole.adjusted(1.5, 1.5, -1.5, -1.5);
        const QRectF light = whole.adjusted(2.5, 2.5, -2.5, -2.5);
        if (dark.width() > 0 && dark.height() > 0) {
            p.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.7f), 3));
            p.drawRect(dark);
        }
        p.setPen(QPen(Qt::white, 1.5));
        p.drawRect(light.width() > 0 && light.height() > 0 ? light : whole);
    }
}

} // namespace plenwick
