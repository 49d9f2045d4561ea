#include "outline/OutlineHeaderLayout.h"

#include "outline/OutlineColumns.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include <algorithm>

namespace plenwick {

namespace {

// What the saved state may not change: how sections behave.
void applyFixedBehaviour(QHeaderView& header) {
    header.setSectionsMovable(true);
    header.setSectionsClickable(true);
    header.setSortIndicatorShown(true);
    header.setStretchLastSection(false);
    header.setCascadingSectionResizes(false);
    header.setSectionResizeMode(QHeaderView::Interactive);
    header.setFirstSectionMovable(true);
    int smallest = outlineColumns().front().minimumWidth;
    for (const OutlineColumnInfo& info : outlineColumns()) smallest = std::min(smallest, info.minimumWidth);
    header.setMinimumSectionSize(smallest);
}

void repair(QHeaderView& header) {
    const int name = logicalIndex(OutlineColumn::name);
    header.setSectionHidden(name, false);
    for (const OutlineColumnInfo& info : outlineColumns()) {
        const int logical = logicalIndex(info.column);
        // A hidden section reports no size; it keeps the one it had for when it is
        // shown (repaired then, see repairShownOutlineColumn).
        if (header.isSectionHidden(logical)) continue;
        if (header.sectionSize(logical) < info.minimumWidth) header.resizeSection(logical, info.minimumWidth);
    }
}

} // namespace

void applyDefaultOutlineHeaderLayout(QHeaderView& header) {
    applyFixedBehaviour(header);
    for (const OutlineColumnInfo& info : outlineColumns()) {
        const int logical = logicalIndex(info.column);
        header.moveSection(header.visualIndex(logical), logical);
        header.resizeSection(logical, info.width);
        header.setSectionHidden(logical, info.hiddenAtStart);
    }
}

bool restoreOutlineHeaderLayout(QHeaderView& header, const QByteArray& saved, const OutlineSort& sort) {
    const bool used = !saved.isEmpty() && header.count() == kOutlineColumnCount && header.restoreState(saved) &&
                      header.count() == kOutlineColumnCount;
    if (used) {
        applyFixedBehaviour(header);
    } else {
        applyDefaultOutlineHeaderLayout(header);
    }
    repair(header);
    showOutlineSortIndicator(header, sort);
    return used;
}

void repairShownOutlineColumn(QHeaderView& header, int logical) {
    const std::optional<OutlineColumn> column = outlineColumnAt(logical);
    if (!column || header.isSectionHidden(logical)) return;
    const OutlineColumnInfo& info = outlineColumn(*column);
    if (header.sectionSize(logical) <= info.minimumWidth) header.resizeSection(logical, info.width);
}

bool fitRestoredOutlineColumns(QHeaderView& header, int available) {
    const int name = logicalIndex(OutlineColumn::name);
    int needed = outlineColumn(OutlineColumn::name).minimumWidth;
    for (int logical = 0; logical < header.count(); ++logical)
        if (logical != name && !header.isSectionHidden(logical)) needed += header.sectionSize(logical);
    int excess = needed - available;
    bool changed = false;
    for (int visual = header.count() - 1; visual >= 0 && excess > 0; --visual) {
        const int logical = header.logicalIndex(visual);
        const std::optional<OutlineColumn> column = outlineColumnAt(logical);
        if (!column || logical == name || header.isSectionHidden(logical)) continue;
        const int widened = header.sectionSize(logical) - outlineColumn(*column).width;
        if (widened <= 0) continue;
        const int giveBack = std::min(widened, excess);
        header.resizeSection(logical, header.sectionSize(logical) - giveBack);
        excess -= giveBack;
        changed = true;
    }
    return changed;
}

void showOutlineSortIndicator(QHeaderView& header, const OutlineSort& sort) {
    const QSignalBlocker quiet(header);
    header.setSortIndicator(logicalIndex(columnOfSort(sort)), sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

} // namespace plenwick
