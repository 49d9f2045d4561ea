#pragma once
// The home screen's grids: adaptive columns, as many as fit at their minimum width,
// widened to share the room up to their maximum, filled row by row from the leading
// edge. Cells are top-aligned; a widget that expands vertically fills its row.
//
// Cards keep room for their shadow around what they show (`bleed`): widths, heights
// and spacings here are those of the visible cards, and each widget is placed with
// its bleed around its cell, overlapping its neighbours' shadows.

#include <QLayout>
#include <QList>

namespace plenwick {

struct GridColumns {
    int count = 1;
    qreal width = 0;
    friend bool operator==(const GridColumns&, const GridColumns&) = default;
};

// The columns for `width`: at least one; a single column never wider than `width`.
GridColumns adaptiveColumns(qreal width, qreal minimum, qreal maximum, qreal spacing);

class HomeFlowGrid final : public QLayout {
public:
    HomeFlowGrid(qreal minimumColumn, qreal maximumColumn, qreal spacing, qreal rowSpacing, QMargins bleed,
                 QWidget* parent = nullptr);
    ~HomeFlowGrid() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

    // The visible cell of each item for the layout's current geometry (tests).
    QList<QRectF> cells() const { return cells_; }

private:
    // Lays the items out in `rect`; places them only when `apply`. Returns the height used.
    qreal layout(const QRectF& rect, bool apply);
    qreal itemHeight(QLayoutItem* item, qreal width) const;

    qreal minimum_, maximum_, spacing_, rowSpacing_;
    QMargins bleed_;
    QList<QLayoutItem*> items_;
    QList<QRectF> cells_;
};

} // namespace plenwick
