#pragma once
// The outline header's column layout: the defaults, and the saved layout restored
// and repaired. A saved layout keeps the columns' order, widths and visibility; it
// never decides the sort indicator (the table's order does), never hides the name
// column, and never leaves a column below its minimum width. A layout that cannot be
// read, or that is not of these five columns, gives way to the defaults.

#include "outline/OutlineSort.h"

#include <QByteArray>

class QHeaderView;

namespace plenwick {

// Widths, order and visibility as on first launch.
void applyDefaultOutlineHeaderLayout(QHeaderView& header);
// Restores `saved` (empty: nothing saved) and repairs it; the sort indicator is set
// from `sort` without telling the table. The header must have its model. Returns whether the saved layout was used.
bool restoreOutlineHeaderLayout(QHeaderView& header, const QByteArray& saved, const OutlineSort& sort);
// A column just shown that comes back squeezed to its minimum or below gets its
// first width again: a hidden column's width cannot be checked when a layout is
// restored, and layouts were saved with hidden columns at their minimum.
void repairShownOutlineColumn(QHeaderView& header, int logical);
// A restored layout whose shown columns cannot fit `available` even with the name
// column at its minimum gives back, from the last shown column on, what its other
// columns were widened by beyond their first widths, as far as that makes them fit.
// Returns whether a column changed.
bool fitRestoredOutlineColumns(QHeaderView& header, int available);
// Shows `sort` in the header without telling the table.
void showOutlineSortIndicator(QHeaderView& header, const OutlineSort& sort);

} // namespace plenwick
