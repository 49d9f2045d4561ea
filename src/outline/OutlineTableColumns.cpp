#include "outline/OutlineTableColumns.h"

#include "app/Preferences.h"
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
#include <vector>

namespace plenwick {

namespace {
int nameMinimum() { return outlineColumn(OutlineColumn::name).minimumWidth; }
} // namespace

OutlineTableColumns::OutlineTableColumns(Preferences& preferences, OutlineTableView& view, const OutlineSort& sort)
    : preferences_(preferences), view_(view) {
    fitRestoredLayout_ =
        restoreOutlineHeaderLayout(*view_.header(), preferences_.value(kOutlineColumnsAutosaveName).toByteArray(), sort);
}

void OutlineTableColumns::resize(int logical, int size) {
    QScopedValueRollback resizing(resizing_, true);
    view_.header()->resizeSection(logical, size);
}

// ---- Widths ----

void OutlineTableColumns::fitNameColumn() {
    QHeaderView* header = view_.header();
    const int width = view_.viewport()->width();
    if (width <= 0) return;
    int first = -1, last = -1;
    for (int visual = 0; visual < header->count(); ++visual) {
        if (header->isSectionHidden(header->logicalIndex(visual))) continue;
        if (first < 0) first = visual;
        last = visual;
    }
    const int name = logicalIndex(OutlineColumn::name);
    if (first < 0 || header->isSectionHidden(name)) return;
    const int lastLogical = header->logicalIndex(last), firstLogical = header->logicalIndex(first);
    const double overflow = header->sectionPosition(lastLogical) + header->sectionSize(lastLogical) +
                            header->sectionPosition(firstLogical) - width;
    if (overflow <= 0.5) return;
    const int target = std::max(nameMinimum(), header->sectionSize(name) - static_cast<int>(std::ceil(overflow)));
    if (header->sectionSize(name) <= target) return;
    resize(name, target);
    scheduleSave();
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
        if (repaired) scheduleSave();
    }
    int others = 0;
    for (int logical = 0; logical < header->count(); ++logical)
        if (logical != name && !header->isSectionHidden(logical)) others += header->sectionSize(logical);
    const int target = std::max(nameMinimum(), width - others);
    if (header->sectionSize(name) == target) return;
    resize(name, target);
}

void OutlineTableColumns::columnResized(int logical, int newSize) {
    if (resizing_) return;
    const std::optional<OutlineColumn> column = outlineColumnAt(logical);
    if (!column) return;
    const int minimum = outlineColumn(*column).minimumWidth;
    if (newSize < minimum && !view_.header()->isSectionHidden(logical)) resize(logical, minimum);
    if (*column != OutlineColumn::name) fitNameColumn();
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
        fitNameColumn();
    } else {
        fillNameColumn();
    }
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
    preferences_.setValue(kOutlineColumnsAutosaveName, view_.header()->saveState());
}

} // namespace plenwick
