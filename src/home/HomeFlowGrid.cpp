#include "home/HomeFlowGrid.h"

#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace plenwick {

GridColumns adaptiveColumns(qreal width, qreal minimum, qreal maximum, qreal spacing) {
    GridColumns columns;
    columns.count = std::max(1, static_cast<int>(std::floor((width + spacing) / (minimum + spacing))));
    columns.width = std::min(maximum, (width - (columns.count - 1) * spacing) / columns.count);
    if (columns.count == 1) columns.width = std::max<qreal>(0, std::min(columns.width, width));
    return columns;
}

HomeFlowGrid::HomeFlowGrid(qreal minimumColumn, qreal maximumColumn, qreal spacing, qreal rowSpacing, QMargins bleed,
                           QWidget* parent)
    : QLayout(parent), minimum_(minimumColumn), maximum_(maximumColumn), spacing_(spacing), rowSpacing_(rowSpacing),
      bleed_(bleed) {
    setContentsMargins(0, 0, 0, 0);
}

HomeFlowGrid::~HomeFlowGrid() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void HomeFlowGrid::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

QLayoutItem* HomeFlowGrid::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

int HomeFlowGrid::heightForWidth(int width) const {
    return qCeil(const_cast<HomeFlowGrid*>(this)->layout(QRectF(0, 0, width, 0), false));
}

QSize HomeFlowGrid::minimumSize() const {
    // One column at its minimum, plus the shadows' room at the leading and trailing
    // edges. The height is the tallest item's: what a grid of any width needs at least
    // (the height for the real width comes from heightForWidth).
    const int width = qCeil(minimum_) + bleed_.left() + bleed_.right();
    qreal tallest = 0;
    for (QLayoutItem* item : items_) tallest = std::max(tallest, itemHeight(item, maximum_));
    return QSize(width, qCeil(tallest) + bleed_.top() + bleed_.bottom());
}

QSize HomeFlowGrid::sizeHint() const {
    const int width = qCeil(3 * maximum_ + 2 * spacing_) + bleed_.left() + bleed_.right();
    return QSize(width, heightForWidth(width));
}

void HomeFlowGrid::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    layout(rect, true);
}

qreal HomeFlowGrid::itemHeight(QLayoutItem* item, qreal width) const {
    const int outer = qCeil(width) + bleed_.left() + bleed_.right();
    const int height = item->hasHeightForWidth() ? item->heightForWidth(outer) : item->sizeHint().height();
    return std::max(0, height - bleed_.top() - bleed_.bottom());
}

qreal HomeFlowGrid::layout(const QRectF& outer, bool apply) {
    // The visible cards stand inside the shadows' room at the grid's edges.
    const QRectF rect = outer.adjusted(bleed_.left(), bleed_.top(), -bleed_.right(), -bleed_.bottom());
    const GridColumns columns = adaptiveColumns(rect.width(), minimum_, maximum_, spacing_);
    QList<QRectF> cells;
    qreal y = rect.top();
    for (int first = 0; first < items_.size(); first += columns.count) {
        const int last = std::min<int>(first + columns.count, static_cast<int>(items_.size()));
        qreal rowHeight = 0;
        for (int i = first; i < last; ++i) rowHeight = std::max(rowHeight, itemHeight(items_[i], columns.width));
        for (int i = first; i < last; ++i) {
            QLayoutItem* item = items_[i];
            const qreal x = rect.left() + (i - first) * (columns.width + spacing_);
            const bool fills = item->widget() && (item->widget()->sizePolicy().verticalPolicy() & QSizePolicy::ExpandFlag);
            const qreal height = fills ? rowHeight : itemHeight(item, columns.width);
            cells.append(QRectF(x, y, columns.width, height));
        }
        y += rowHeight + (last < items_.size() ? rowSpacing_ : 0);
    }
    if (apply) {
        cells_ = cells;
        for (int i = 0; i < items_.size(); ++i) {
            const QRect cell = cells[i].toAlignedRect();
            items_[i]->setGeometry(cell.marginsAdded(bleed_));
        }
    }
    return y - rect.top() + bleed_.top() + bleed_.bottom();
}

} // namespace plenwick
