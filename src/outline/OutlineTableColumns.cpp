#include "outline/OutlineTableColumns.h"

#include "app/Preferences.h"
#include "outline/OutlineColumnFit.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineHeaderLayout.h"
#include "outline/OutlineMenus.h"
#include "outline/OutlineTableView.h"

#include <QHeaderView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace plenwick {

OutlineTableColumns::OutlineTableColumns(Preferences& preferences, OutlineTableView& view, const OutlineSort& sort)
    : preferences_(preferences), view_(view) {
    fitRestoredLayout_ =
        restoreOutlineHeaderLayout(*view_.header(), preferences_.value(kOutlineColumnsAutosaveName).toByteArray(), sort);
    noteWantedWidths();
}

void OutlineTableColumns::resize(int logical, int size) {
    QScopedValueRollback resizing(resizing_, true);
    view_.header()->resizeSection(logical, size);
}

// ---- Widths ----

void OutlineTableColumns::noteWantedWidths() {
    const QHeaderView* header = view_.header();
    for (int logical = 0; logical < kOutlineColumnCount && logical < header->count(); ++logical)
        wanted_[static_cast<std::size_t>(logical)] = header->sectionSize(logical);
}

void OutlineTableColumns::layOut(std::optional<int> held) {
    QHeaderView* header = view_.header();
    const int width = view_.viewport()->width();
    const int name = logicalIndex(OutlineColumn::name);
    if (width <= 0 || header->isSectionHidden(name)) return;
    std::vector<int> shown;
    std::vector<OutlineColumnRoom> rooms;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        const std::optional<OutlineColumn> column = outlineColumnAt(logical);
        if (!column || logical == name || header->isSectionHidden(logical)) continue;
        const OutlineColumnInfo& info = outlineColumn(*column);
        const int wanted = wanted_[static_cast<std::size_t>(logical)];
        shown.push_back(logical);
        // A share bar is worth less than a name, and its percentage keeps its room down
        // to the column's minimum; sizes, counts and dates would be cut. A width the
        // user chose, or is choosing, stays.
        const bool yields = *column == OutlineColumn::share && wanted == info.width && logical != held;
        rooms.push_back({wanted, info.minimumWidth, yields});
    }
    const OutlineColumnInfo& nameInfo = outlineColumn(OutlineColumn::name);
    const OutlineColumnWidths widths = fitOutlineColumns(width, nameInfo.width, nameInfo.minimumWidth, rooms);
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (header->sectionSize(shown[i]) != widths.others[i]) resize(shown[i], widths.others[i]);
    if (header->sectionSize(name) != widths.name) resize(name, widths.name);
}

void OutlineTableColumns::fillNameColumn() {
    QHeaderView* header = view_.header();
    const int width = view_.viewport()->width();
    const int name = logicalIndex(OutlineColumn::name);
    if (width <= 0 || header->isSectionHidden(name)) return;
    if (fitRestoredLayout_) {
        fitRestoredLayout_ = false;
        bool repaired = false;
        {
            QScopedValueRollback resizing(resizing_, true);
            repaired = fitRestoredOutlineColumns(*header, width);
        }
        noteWantedWidths();
        if (repaired) scheduleSave();
    }
    layOut(std::nullopt);
}

void OutlineTableColumns::columnResized(int logical, int newSize) {
    if (resizing_) return;
    const std::optional<OutlineColumn> column = outlineColumnAt(logical);
    if (!column) return;
    const int minimum = outlineColumn(*column).minimumWidth;
    if (newSize < minimum && !view_.header()->isSectionHidden(logical)) resize(logical, minimum);
    if (*column != OutlineColumn::name) {
        // The column under the user's hand keeps what it is given while the others fit.
        wanted_[static_cast<std::size_t>(logical)] = std::max(minimum, newSize);
        layOut(logical);
    }
    scheduleSave();
}

// ---- Shown columns ----

QMenu* OutlineTableColumns::showHeaderMenu(QPoint globalPos) {
    const QHeaderView* header = view_.header();
    std::vector<int> order;
    std::vector<bool> hidden;
    for (int visual = 0; visual < header->count(); ++visual) order.push_back(header->logicalIndex(visual));
    for (int logical = 0; logical < header->count(); ++logical) hidden.push_back(header->isSectionHidden(logical));
    auto* menu = new QMenu(&view_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const OutlineHeaderMenuEntry& entry : outlineHeaderMenu(order, hidden)) {
        QAction* action = menu->addAction(entry.title);
        action->setCheckable(true);
        action->setChecked(entry.checked);
        const int logical = logicalIndex(entry.column);
        connect(action, &QAction::triggered, this, [this, logical] { toggleColumn(logical); });
    }
    menu->popup(globalPos);
    return menu;
}

void OutlineTableColumns::toggleColumn(int logical) {
    QHeaderView* header = view_.header();
    if (logical == logicalIndex(OutlineColumn::name)) return;
    const bool show = header->isSectionHidden(logical);
    header->setSectionHidden(logical, !show);
    if (show) {
        {
            QScopedValueRollback resizing(resizing_, true);
            repairShownOutlineColumn(*header, logical);
        }
        wanted_[static_cast<std::size_t>(logical)] = header->sectionSize(logical);
    }
    layOut(std::nullopt);
    scheduleSave();
}

// ---- Saving ----

void OutlineTableColumns::scheduleSave() {
    if (saveScheduled_) return;
    saveScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (saveScheduled_) saveLayout();
    });
}

void OutlineTableColumns::saveLayout() {
    saveScheduled_ = false;
    // The widths kept are the wanted ones, not what a narrow sidebar pressed them to.
    QHeaderView* header = view_.header();
    const int name = logicalIndex(OutlineColumn::name);
    std::vector<std::pair<int, int>> pressed;
    for (int logical = 0; logical < kOutlineColumnCount && logical < header->count(); ++logical) {
        const int wanted = wanted_[static_cast<std::size_t>(logical)];
        if (logical == name || header->isSectionHidden(logical) || header->sectionSize(logical) == wanted) continue;
        pressed.emplace_back(logical, header->sectionSize(logical));
        resize(logical, wanted);
    }
    preferences_.setValue(kOutlineColumnsAutosaveName, header->saveState());
    for (const auto& [logical, size] : pressed) resize(logical, size);
}

} // namespace plenwick
