#include "outline/OutlineTableCoordinator.h"

#include "app/AppState.h"
#include "nodemenu/NodeContextMenu.h"
#include "outline/OutlineCellDelegate.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineSelectionSync.h"
#include "outline/OutlineTableColumns.h"
#include "outline/OutlineTableInput.h"
#include "outline/OutlineTableView.h"
#include "shell/FileIconCache.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

namespace plenwick {

OutlineTableCoordinator::OutlineTableCoordinator(AppState& state, QWidget* parent)
    : state_(state), view_(new OutlineTableView(parent)), model_(new OutlineItemModel(names_, this)) {
    view_->setObjectName(QStringLiteral("OutlineTable"));
    view_->setModel(model_);
    view_->setItemDelegate(new OutlineCellDelegate(*this, view_));
    view_->setFrameShape(QFrame::NoFrame);
    view_->setAlternatingRowColors(false);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setUniformRowHeights(true);
    view_->setIndentation(11);
    view_->setAnimated(false);
    view_->setExpandsOnDoubleClick(false);
    view_->setAllColumnsShowFocus(true);
    // Only when the other columns leave the name column no more than its minimum is
    // the list wider than the sidebar; it can then be scrolled sideways.
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->viewport()->setBackgroundRole(QPalette::Window);
    view_->setDragEnabled(true);
    view_->setDragDropMode(QAbstractItemView::DragOnly);
    view_->setAccessibleName(QStringLiteral("Files"));

    OutlineTableView& table = *view_;
    listing_ = std::make_unique<OutlineTableListing>(state_, table, *model_, names_);
    selection_ = std::make_unique<OutlineSelectionSync>(state_, table, *model_, *listing_);
    columns_ = std::make_unique<OutlineTableColumns>(state_.preferences(), table, listing_->sort());
    input_ = std::make_unique<OutlineTableInput>(state_, table, *model_);

    // The listing: sorts asked for by the header; rows reloaded in place show the
    // selection again.
    view_->setSortingEnabled(true);
    connect(model_, &OutlineItemModel::sortRequested, listing_.get(), &OutlineTableListing::sortRequested);
    connect(listing_.get(), &OutlineTableListing::reloaded, selection_.get(),
            &OutlineSelectionSync::showSelectionAfterReload);

    // The selection and the hover.
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, selection_.get(),
            &OutlineSelectionSync::tableSelectionChanged);
    connect(view_, &OutlineTableView::rowHovered, selection_.get(), &OutlineSelectionSync::rowHovered);

    // The columns. Only the name column follows the table's width. It is set from the
    // width itself, not moved by each change, so that a width saved while the sidebar
    // was narrow (or squeezed before the first layout) never stays behind.
    QHeaderView* header = view_->header();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, columns_.get(),
            [this](const QPoint& pos) { columns_->showHeaderMenu(view_->header()->mapToGlobal(pos)); });
    connect(header, &QHeaderView::sectionResized, columns_.get(),
            [this](int logical, int, int newSize) { columns_->columnResized(logical, newSize); });
    connect(header, &QHeaderView::sectionMoved, columns_.get(), [this] { columns_->scheduleSave(); });
    connect(view_, &OutlineTableView::viewportResized, this, [this] {
        columns_->fillNameColumn();
        selection_->centrePending();
    });

    // Keys, double clicks, drags and the row menus.
    connect(view_, &OutlineTableView::keyPressed, this, [this](QKeyEvent* event) {
        if (input_->keyPressed(*event)) event->accept();
    });
    connect(view_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { input_->doubleClicked(index); });
    connect(view_, &OutlineTableView::dragStarted, this, [this] { input_->dragStarted(); });
    connect(view_, &OutlineTableView::contextMenuRequested, this, &OutlineTableCoordinator::showContextMenu);

    // A package's or the root's own icon arrived.
    connect(&FileIconCache::shared(), &FileIconCache::iconReady, view_->viewport(), [this] { view_->viewport()->update(); });
}

OutlineTableCoordinator::~OutlineTableCoordinator() {
    if (!view_) return;
    if (columns_->isSaveScheduled()) columns_->saveLayout();
    // The rows go with the coordinator; the table stays with its parent until then.
    view_->setModel(nullptr);
}

OutlineTableView& OutlineTableCoordinator::view() const noexcept { return *view_; }

const std::optional<OutlineContent>& OutlineTableCoordinator::content() const noexcept { return listing_->content(); }

const OutlineFlatList* OutlineTableCoordinator::flatList() const noexcept { return listing_->flatList(); }

bool OutlineTableCoordinator::showsTree() const noexcept { return listing_->showsTree(); }

int OutlineTableCoordinator::rowHeight() const noexcept { return flatList() ? kFlatRowHeight : kTreeRowHeight; }

const OutlineSort& OutlineTableCoordinator::sort() const noexcept { return listing_->sort(); }

bool OutlineTableCoordinator::isSortPending() const noexcept { return listing_->isSortPending(); }

bool OutlineTableCoordinator::isSelectionSyncScheduled() const noexcept { return selection_->isSyncScheduled(); }

const FileNode* OutlineTableCoordinator::highlightedRowItem() const noexcept { return view_->hoverNode(); }

QMenu* OutlineTableCoordinator::showHeaderMenu(QPoint globalPos) { return columns_->showHeaderMenu(globalPos); }

void OutlineTableCoordinator::saveColumnLayout() { columns_->saveLayout(); }

// ---- Updates ----

void OutlineTableCoordinator::clear() {
    if (!listing_->content()) return;
    selection_->clear();
    listing_->clear();
}

void OutlineTableCoordinator::update(const OutlineTableChange& change) {
    model_->setVolumeNames(state_.volumeNames());
    const OutlineTableListing::Listed listed = listing_->update(change.content, change.tree);
    const bool focusShown = selection_->update(listed.switched, listed.newTree, change.selection, change.focus);
    if (change.rows || focusShown) view_->viewport()->update();
    selection_->showHover();
}

// ---- Menus ----

QMenu* OutlineTableCoordinator::showContextMenu(FileNode* node, QPoint globalPos) {
    if (!node) return nullptr;
    QMenu* menu = makeNodeContextMenu(state_, retainNode(node), NodeMenuSite::outline, view_);
    menu->popup(globalPos);
    return menu;
}

} // namespace plenwick
