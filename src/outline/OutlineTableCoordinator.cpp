#include "outline/OutlineTableCoordinator.h"

#include "app/AppState.h"
#include "app/NodeActions.h"
#include "app/Preferences.h"
#include "nodemenu/NodeContextMenu.h"
#include "outline/OutlineCellDelegate.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineFolderOrders.h"
#include "outline/OutlineHeaderLayout.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineMenus.h"
#include "outline/OutlineTableView.h"
#include "runtime/BackgroundTask.h"
#include "shell/FileActions.h"
#include "shell/FileIconCache.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

const OutlineTree* treeOf(const std::optional<OutlineContent>& content) {
    return content ? std::get_if<OutlineTree>(&*content) : nullptr;
}
OutlineFlatList* flatOf(std::optional<OutlineContent>& content) {
    return content ? std::get_if<OutlineFlatList>(&*content) : nullptr;
}

} // namespace

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

    QHeaderView* header = view_->header();
    fitRestoredLayout_ =
        restoreOutlineHeaderLayout(*header, state_.preferences().value(kOutlineColumnsAutosaveName).toByteArray(), sort_);
    view_->setSortingEnabled(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) { showHeaderMenu(view_->header()->mapToGlobal(pos)); });
    connect(header, &QHeaderView::sectionResized, this, &OutlineTableCoordinator::columnResized);
    connect(header, &QHeaderView::sectionMoved, this, [this] { scheduleSave(); });

    connect(model_, &OutlineItemModel::sortRequested, this, &OutlineTableCoordinator::sortRequested);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &OutlineTableCoordinator::selectionChanged);
    connect(view_, &QTreeView::doubleClicked, this, &OutlineTableCoordinator::doubleClicked);
    connect(view_, &OutlineTableView::rowHovered, this, &OutlineTableCoordinator::setHovered);
    connect(view_, &OutlineTableView::keyPressed, this, [this](QKeyEvent* event) {
        if (handleKeyDown(event)) event->accept();
    });
    connect(view_, &OutlineTableView::contextMenuRequested, this, &OutlineTableCoordinator::showContextMenu);
    connect(view_, &OutlineTableView::dragStarted, this, &OutlineTableCoordinator::startDrag);
    // Only the name column follows the table's width. It is set from the width itself,
    // not moved by each change, so that a width saved while the sidebar was narrow (or
    // squeezed before the first layout) never stays behind.
    connect(view_, &OutlineTableView::viewportResized, this, [this] {
        fillNameColumn();
        if (NodeRef node = std::move(pendingCentre_)) {
            pendingCentre_.reset();
            const QModelIndex index = inLoadedTree(node.get()) || flatList() ? model_->indexOf(node.get()) : QModelIndex();
            if (index.isValid()) centreIfHidden(index);
        }
    });

    // Rows opened deeper than the name column can show widen it, and the list then
    // scrolls sideways; closing them lets the columns fit again.
    connect(view_, &OutlineTableView::deepestRowIndentChanged, this, [this] {
        const int minimum = nameMinimumWidth();
        const int size = view_->header()->sectionSize(logicalIndex(OutlineColumn::name));
        if (size < minimum || (minimum < nameMinimumApplied_ && size <= nameMinimumApplied_)) fillNameColumn();
        nameMinimumApplied_ = minimum;
    });

    // A package's or the root's own icon arrived.
    connect(&FileIconCache::shared(), &FileIconCache::iconReady, view_->viewport(), [this] { view_->viewport()->update(); });

    connect(&state_, &AppState::treeEditWillBegin, this, [this] {
        if (content_) beginReload();
        dropFolderOrders();
    });
    connect(&state_, &AppState::treeEditDidEnd, this, [this] {
        if (!pendingReload_) return;
        endReload();
        reloadedForEdit_ = true;
    });
}

OutlineTableCoordinator::~OutlineTableCoordinator() {
    if (!view_) return;
    if (saveScheduled_) saveColumnLayout();
    // The rows go with the coordinator; the table stays with its parent until then.
    view_->setModel(nullptr);
}

OutlineTableView& OutlineTableCoordinator::view() const noexcept { return *view_; }

const OutlineFlatList* OutlineTableCoordinator::flatList() const noexcept {
    return content_ ? std::get_if<OutlineFlatList>(&*content_) : nullptr;
}

bool OutlineTableCoordinator::showsTree() const noexcept { return treeOf(content_) != nullptr; }

int OutlineTableCoordinator::rowHeight() const noexcept { return flatList() ? kFlatRowHeight : kTreeRowHeight; }

OutlineTableCoordinator::ContentKey OutlineTableCoordinator::keyOf(const OutlineContent& content) {
    if (const auto* tree = std::get_if<OutlineTree>(&content)) return {false, tree->root.get(), 0};
    return {true, nullptr, std::get<OutlineFlatList>(content).generation};
}

// ---- Updates ----

void OutlineTableCoordinator::clear() {
    if (!content_) return;
    // Without a scan nothing of the old tree is kept.
    stopBackgroundSort();
    dropFolderOrders();
    content_.reset();
    savedTree_.reset();
    lastTreeRoot_.reset();
    lastFocus_.reset();
    contentKey_.reset();
    flatMembers_.reset();
    pendingReload_.reset();
    pendingCentre_.reset();
    highlightedRowItem_ = nullptr;
    view_->setHoverNode(nullptr);
    lastSelection_.reset();
    lastHoverSent_.reset();
    Syncing syncing(*this);
    model_->showNothing();
}

void OutlineTableCoordinator::update(const OutlineTableChange& change) {
    model_->setVolumeNames(state_.volumeNames());
    bool switched = false;
    if (change.content && contentKey_ != keyOf(*change.content)) {
        applyContent(*change.content);
        switched = true;
        lastSelection_.reset();
        if (const OutlineTree* tree = treeOf(content_); tree && lastTreeRoot_ != tree->root) {
            lastTreeRoot_ = tree->root;
            lastFocus_.reset();
        }
    } else if (change.tree && content_ && !reloadedForEdit_) {
        dropFolderOrders();
        reloadPreservingState();
    }
    reloadedForEdit_ = false;

    bool rowsChanged = change.rows;
    if (content_ && (switched || change.selection) &&
        (state_.selection() != lastSelection_ || state_.focus() != lastFocus_)) {
        if (!switched && showsTree()) {
            if (!isSelectionSyncScheduled_) {
                isSelectionSyncScheduled_ = true;
                QTimer::singleShot(0, this, &OutlineTableCoordinator::deferredSync);
            }
        } else {
            rowsChanged |= syncSelection(state_.selection(), state_.focus());
        }
    }
    if (rowsChanged) reloadVisibleRows();
    refreshHoverHighlight(state_.hovered());
}

void OutlineTableCoordinator::deferredSync() {
    isSelectionSyncScheduled_ = false;
    const OutlineTree* tree = treeOf(content_);
    if (!tree || state_.root() != tree->root) return;
    if (syncSelection(state_.selection(), state_.focus())) reloadVisibleRows();
    highlightedRowItem_ = nullptr;
    view_->setHoverNode(nullptr);
    refreshHoverHighlight(state_.hovered());
}

void OutlineTableCoordinator::applyContent(OutlineContent content) {
    if (const OutlineTree* tree = treeOf(content_)) savedTree_ = SavedTree{tree->root, expandedNodes(), origin()};
    const auto* newTree = std::get_if<OutlineTree>(&content);
    auto* newFlat = std::get_if<OutlineFlatList>(&content);
    if (newTree && savedTree_ && savedTree_->root != newTree->root) savedTree_.reset();
    // New content is listed in the sort shown in the header at once.
    if (isSortPending()) {
        stopBackgroundSort();
        model_->setSort(sort_);
    }
    if (newFlat && !sort_.isDefault()) {
        sort_.sort(newFlat->nodes, names_);
        newFlat->updateMaxSize();
    }
    std::optional<Origin> keptOrigin;
    if (const OutlineFlatList* oldFlat = flatList(); oldFlat && newFlat && oldFlat->source == newFlat->source &&
                                                    newFlat->source.kind != OutlineFlatList::Source::Kind::placeholder)
        keptOrigin = origin();

    contentKey_ = keyOf(content);
    content_ = std::move(content);
    flatMembers_.reset();
    highlightedRowItem_ = nullptr;
    view_->setHoverNode(nullptr);
    lastHoverSent_.reset();
    {
        Syncing syncing(*this);
        // Flat rows keep no room for disclosure triangles.
        view_->setRootIsDecorated(showsTree());
        if (const OutlineTree* tree = treeOf(content_)) {
            model_->showTree(tree->root);
        } else {
            model_->showFlat(flatOf(content_)->nodes);
        }
    }
    if (flatList()) {
        if (keptOrigin) {
            restoreOrigin(*keptOrigin);
        } else {
            scrollToStart();
        }
        return;
    }
    const QModelIndex root = model_->index(0, 0);
    if (savedTree_) {
        {
            Syncing syncing(*this);
            expandAll(savedTree_->expanded);
            view_->expand(root);
        }
        restoreOrigin(savedTree_->origin);
        return;
    }
    {
        Syncing syncing(*this);
        view_->expand(root);
    }
    scrollToStart();
}

void OutlineTableCoordinator::reloadPreservingState() {
    if (!content_) return;
    beginReload();
    endReload();
}

void OutlineTableCoordinator::beginReload() {
    pendingReload_ = PendingReload{showsTree() ? expandedNodes() : std::vector<NodeRef>(), origin()};
    highlightedRowItem_ = nullptr;
    view_->setHoverNode(nullptr);
    Syncing syncing(*this);
    model_->beginReload();
}

void OutlineTableCoordinator::endReload() {
    if (!pendingReload_) return;
    PendingReload pending = std::move(*pendingReload_);
    pendingReload_.reset();
    {
        Syncing syncing(*this);
        if (OutlineFlatList* flat = flatOf(content_)) {
            if (state_.root()) {
                std::erase_if(flat->nodes, [this](const NodeRef& n) { return !state_.isInsideTree(n.get()); });
                flat->updateMaxSize();
                flatMembers_.reset();
            }
            model_->endReload(flat->nodes);
        } else {
            model_->endReload();
            expandAll(pending.expanded);
        }
    }
    restoreOrigin(pending.origin);
    selectAndCenter(state_.selection(), false);
}

// ---- Selection and focus ----

bool OutlineTableCoordinator::syncSelection(const NodeRef& selection, const NodeRef& focus) {
    bool mayCentreFocus = true;
    if (selection != lastSelection_) {
        selectAndCenter(selection, true);
        mayCentreFocus = !selection;
    }
    if (focus == lastFocus_) return false;
    lastFocus_ = focus;
    if (focus && showsTree()) revealNode(focus.get(), true, mayCentreFocus);
    return true;
}

void OutlineTableCoordinator::selectAndCenter(const NodeRef& node, bool scroll) {
    lastSelection_ = node;
    QItemSelectionModel* selection = view_->selectionModel();
    if (!node) {
        Syncing syncing(*this);
        selection->clearSelection();
        return;
    }
    if (showsTree()) revealNode(node.get(), false, false);
    const QModelIndex index = showsTree() && !inLoadedTree(node.get()) ? QModelIndex() : model_->indexOf(node.get());
    {
        Syncing syncing(*this);
        if (!index.isValid()) {
            selection->clearSelection();
        } else {
            selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }
    if (scroll && index.isValid()) centreIfHidden(index);
}

void OutlineTableCoordinator::revealNode(const FileNode* node, bool expandItself, bool centre) {
    const OutlineTree* tree = treeOf(content_);
    if (!tree || !inLoadedTree(node)) return;
    std::vector<const FileNode*> ancestors;
    if (node != tree->root.get())
        for (const FileNode* a = node->parent(); a; a = a->parent()) {
            ancestors.push_back(a);
            if (a == tree->root.get()) break;
        }
    std::reverse(ancestors.begin(), ancestors.end());
    std::vector<QModelIndex> toExpand;
    for (const FileNode* a : ancestors) {
        const QModelIndex index = model_->indexOf(a);
        if (index.isValid() && !view_->isExpanded(index)) toExpand.push_back(index);
    }
    if (expandItself && node->isContainer()) {
        const QModelIndex index = model_->indexOf(node);
        if (index.isValid() && !view_->isExpanded(index)) toExpand.push_back(index);
    }
    if (!toExpand.empty()) {
        Syncing syncing(*this);
        for (const QModelIndex& index : toExpand) view_->expand(index);
    }
    if (centre) {
        const QModelIndex index = model_->indexOf(node);
        if (index.isValid()) centreIfHidden(index);
    }
}

void OutlineTableCoordinator::centreIfHidden(const QModelIndex& index) {
    // Before the table is on screen its size is not yet its own (a row may not even
    // fit): the row is centred once it is shown.
    if (!view_->isVisible()) {
        pendingCentre_ = retainNode(model_->nodeAt(index));
        return;
    }
    pendingCentre_.reset();
    view_->layoutNow();
    const QRect row = view_->visualRect(index);
    if (row.isEmpty()) return;
    const QRect visible = view_->viewport()->rect();
    if (row.top() >= visible.top() && row.bottom() <= visible.bottom()) return;
    view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void OutlineTableCoordinator::selectionChanged() {
    if (isSyncingSelection_) return;
    NodeRef node = retainNode(selectedNode());
    lastSelection_ = node;
    if (state_.selection() != node) state_.select(std::move(node));
}

FileNode* OutlineTableCoordinator::selectedNode() const {
    const QModelIndexList rows = view_->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? nullptr : model_->nodeAt(rows.front());
}

// ---- Rows and hover ----

void OutlineTableCoordinator::reloadVisibleRows() { view_->viewport()->update(); }

const FileNode* OutlineTableCoordinator::hoverRowItem(const FileNode* node) {
    if (!node) return nullptr;
    if (const OutlineTree* tree = treeOf(content_)) {
        if (!inLoadedTree(node)) return nullptr;
        std::vector<const FileNode*> ancestors;
        if (node != tree->root.get())
            for (const FileNode* a = node->parent(); a; a = a->parent()) {
                ancestors.push_back(a);
                if (a == tree->root.get()) break;
            }
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
            if (!view_->isExpanded(model_->indexOf(*it))) return *it;
        return node;
    }
    const OutlineFlatList* flat = flatList();
    if (!flat) return nullptr;
    if (!flatMembers_) {
        flatMembers_.emplace();
        for (const NodeRef& n : flat->nodes) flatMembers_->insert(n.get());
    }
    for (const FileNode* n = node; n; n = n->parent())
        if (flatMembers_->count(n)) return n;
    return nullptr;
}

void OutlineTableCoordinator::refreshHoverHighlight(const NodeRef& hovered) {
    const FileNode* target = hoverRowItem(hovered.get());
    if (target == highlightedRowItem_) return;
    highlightedRowItem_ = target;
    view_->setHoverNode(target);
}

void OutlineTableCoordinator::setHovered(FileNode* node) {
    NodeRef hovered = retainNode(node);
    if (hovered == lastHoverSent_) return;
    lastHoverSent_ = hovered;
    if (state_.hovered() != hovered) state_.setHovered(std::move(hovered));
}

// ---- Keys, double click, drag ----

bool OutlineTableCoordinator::handleKeyDown(QKeyEvent* event) {
    FileNode* node = selectedNode();
    switch (outlineKeyAction(event->key(), event->modifiers(), node)) {
    case OutlineKeyAction::none: return false;
    case OutlineKeyAction::zoomIn: state_.navigate(retainNode(node)); return true;
    case OutlineKeyAction::toggleQuickLook: {
        std::string url = node->url();
        if (state_.quickLookURL() == url) {
            state_.setQuickLookURL(std::nullopt);
        } else {
            state_.setQuickLookURL(std::move(url));
        }
        return true;
    }
    }
    return false;
}

void OutlineTableCoordinator::doubleClicked(const QModelIndex& index) {
    NodeRef node = retainNode(model_->nodeAt(index));
    if (!node) return;
    if (node->isContainer()) {
        state_.navigate(node);
        return;
    }
    if (!state_.root() || !state_.isInsideTree(node.get())) return;
    state_.setSelection(node);
    const NodeRef& focus = state_.focus();
    if (focus && !isWithin(node.get(), focus.get()))
        state_.navigate(node->parent() ? retainNode(node->parent()) : node);
}

void OutlineTableCoordinator::startDrag() {
    FileNode* node = selectedNode();
    if (!node || !state_.isInsideTree(node)) return;
    dragItems(view_, {node->url()});
}

// ---- Sorting ----

void OutlineTableCoordinator::sortRequested(int column, Qt::SortOrder order) {
    const std::optional<OutlineColumn> which = outlineColumnAt(column);
    if (!which) return;
    const OutlineSort sort = OutlineSort::fromSortDescriptor(
        OutlineSortDescriptor{std::string(outlineColumn(*which).sortKey), order == Qt::AscendingOrder});
    if (sort == sort_) return;
    sort_ = sort;
    stopBackgroundSort();
    // A wide folder ordered on the GUI thread would hold the frame up: until its order
    // comes the rows keep theirs.
    if (showsTree() && startBackgroundSort()) return;
    applySortNow();
}

void OutlineTableCoordinator::applySortNow() {
    model_->setSort(sort_);
    if (OutlineFlatList* flat = flatOf(content_)) {
        sort_.sort(flat->nodes, names_);
        flat->updateMaxSize();
        flatMembers_.reset();
    }
    reloadPreservingState();
}

bool OutlineTableCoordinator::startBackgroundSort() {
    const OutlineTree* tree = treeOf(content_);
    // The size orders come from the stored order.
    if (!tree || sort_.key == OutlineSortKey::size) return false;
    std::vector<NodeRef> folders;
    for (NodeRef& node : expandedNodes())
        if (node->childCount() > kBackgroundSortMinimum) folders.push_back(std::move(node));
    if (folders.empty()) return false;
    std::stop_source& stop = sortStop_.emplace();
    const std::int64_t version = state_.treeVersion();
    const NodeRef root = tree->root;
    runInBackground(
        state_.executors().userInitiated, this,
        [sort = sort_, folders = std::move(folders), locale = names_.locale(), token = stop.get_token()] {
            const LocaleNameCollation collation(locale);
            return orderFolderChildren(sort, folders, collation, token);
        },
        [this, sort = sort_, version, root, token = stop.get_token()](OutlineFolderOrders orders) {
            if (token.stop_requested()) return;
            sortStop_.reset();
            const OutlineTree* now = treeOf(content_);
            if (!orders.complete || sort != sort_ || !now || now->root != root || version != state_.treeVersion()) {
                // Found for a tree that has changed since: once more for the tree as it is.
                if (!startBackgroundSort()) applySortNow();
                return;
            }
            auto ready = std::make_shared<OutlineItemModel::FolderOrders>();
            for (OutlineFolderOrder& order : orders.folders) ready->emplace(order.folder.get(), std::move(order.children));
            model_->setSort(sort_, std::move(ready));
            reloadPreservingState();
        },
        // A sort that fails (out of memory) leaves the rows sorted here.
        [this, token = stop.get_token()](std::exception_ptr) {
            if (token.stop_requested()) return;
            sortStop_.reset();
            applySortNow();
        });
    return true;
}

void OutlineTableCoordinator::stopBackgroundSort() {
    if (!sortStop_) return;
    sortStop_->request_stop();
    sortStop_.reset();
}

void OutlineTableCoordinator::dropFolderOrders() {
    model_->setSort(model_->sort());
}

// ---- Menus ----

QMenu* OutlineTableCoordinator::showContextMenu(FileNode* node, QPoint globalPos) {
    if (!node) return nullptr;
    QMenu* menu = makeNodeContextMenu(state_, retainNode(node), NodeMenuSite::outline, view_);
    menu->popup(globalPos);
    return menu;
}

QMenu* OutlineTableCoordinator::showHeaderMenu(QPoint globalPos) {
    const QHeaderView* header = view_->header();
    std::vector<int> order;
    std::vector<bool> hidden;
    for (int visual = 0; visual < header->count(); ++visual) order.push_back(header->logicalIndex(visual));
    for (int logical = 0; logical < header->count(); ++logical) hidden.push_back(header->isSectionHidden(logical));
    auto* menu = new QMenu(view_);
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

void OutlineTableCoordinator::toggleColumn(int logical) {
    QHeaderView* header = view_->header();
    if (logical == logicalIndex(OutlineColumn::name)) return;
    const bool show = header->isSectionHidden(logical);
    header->setSectionHidden(logical, !show);
    if (show) {
        resizingColumns_ = true;
        repairShownOutlineColumn(*header, logical);
        resizingColumns_ = false;
        fitNameColumn();
    } else {
        fillNameColumn();
    }
    scheduleSave();
}

// ---- Column widths ----

void OutlineTableCoordinator::fitNameColumn() {
    QHeaderView* header = view_->header();
    const int width = view_->viewport()->width();
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
    const int target = std::max(nameMinimumWidth(), header->sectionSize(name) - static_cast<int>(std::ceil(overflow)));
    if (header->sectionSize(name) <= target) return;
    resizingColumns_ = true;
    header->resizeSection(name, target);
    resizingColumns_ = false;
    scheduleSave();
}

void OutlineTableCoordinator::fillNameColumn() {
    QHeaderView* header = view_->header();
    const int width = view_->viewport()->width();
    const int name = logicalIndex(OutlineColumn::name);
    if (width <= 0 || header->isSectionHidden(name)) return;
    if (fitRestoredLayout_) {
        fitRestoredLayout_ = false;
        resizingColumns_ = true;
        const bool repaired = fitRestoredOutlineColumns(*header, width);
        resizingColumns_ = false;
        if (repaired) scheduleSave();
    }
    int others = 0;
    for (int logical = 0; logical < header->count(); ++logical)
        if (logical != name && !header->isSectionHidden(logical)) others += header->sectionSize(logical);
    const int target = std::max(nameMinimumWidth(), width - others);
    if (header->sectionSize(name) == target) return;
    resizingColumns_ = true;
    header->resizeSection(name, target);
    resizingColumns_ = false;
}

int OutlineTableCoordinator::nameMinimumWidth() const {
    return outlineNameMinimumWidth(view_->deepestRowIndent());
}

void OutlineTableCoordinator::columnResized(int logical, int, int newSize) {
    if (resizingColumns_) return;
    const std::optional<OutlineColumn> column = outlineColumnAt(logical);
    if (!column) return;
    const int minimum = *column == OutlineColumn::name ? nameMinimumWidth() : outlineColumn(*column).minimumWidth;
    if (newSize < minimum && !view_->header()->isSectionHidden(logical)) {
        resizingColumns_ = true;
        view_->header()->resizeSection(logical, minimum);
        resizingColumns_ = false;
    }
    if (*column != OutlineColumn::name) fitNameColumn();
    scheduleSave();
}

void OutlineTableCoordinator::scheduleSave() {
    if (saveScheduled_) return;
    saveScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (saveScheduled_) saveColumnLayout();
    });
}

void OutlineTableCoordinator::saveColumnLayout() {
    saveScheduled_ = false;
    state_.preferences().setValue(kOutlineColumnsAutosaveName, view_->header()->saveState());
}

// ---- Helpers ----

std::vector<NodeRef> OutlineTableCoordinator::expandedNodes() const {
    std::vector<NodeRef> out;
    for (const QModelIndex& index : model_->listedFolders())
        if (view_->isExpanded(index)) out.push_back(retainNode(model_->nodeAt(index)));
    return out;
}

void OutlineTableCoordinator::expandAll(const std::vector<NodeRef>& nodes) {
    for (const NodeRef& node : nodes) {
        if (!inLoadedTree(node.get())) continue;
        const QModelIndex index = model_->indexOf(node.get());
        if (index.isValid()) view_->expand(index);
    }
}

bool OutlineTableCoordinator::inLoadedTree(const FileNode* node) const {
    const OutlineTree* tree = treeOf(content_);
    return tree && node && isWithin(node, tree->root.get());
}

OutlineTableCoordinator::Origin OutlineTableCoordinator::origin() const {
    return {view_->horizontalScrollBar()->value(), view_->verticalScrollBar()->value()};
}

void OutlineTableCoordinator::scrollToStart() {
    view_->scrollToTop();
    view_->horizontalScrollBar()->setValue(0);
}

void OutlineTableCoordinator::restoreOrigin(const Origin& origin) {
    view_->layoutNow();
    view_->horizontalScrollBar()->setValue(origin.x);
    view_->verticalScrollBar()->setValue(origin.y);
}

} // namespace plenwick
