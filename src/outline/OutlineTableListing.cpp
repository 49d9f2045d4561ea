#include "outline/OutlineTableListing.h"

#include "app/AppState.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineFolderOrders.h"
#include "outline/OutlineHeaderLayout.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableView.h"
#include "runtime/BackgroundTask.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace plenwick {

OutlineTableListing::OutlineTableListing(AppState& state, OutlineTableView& view, OutlineItemModel& model,
                                         const LocaleNameCollation& names)
    : state_(state), view_(view), model_(model), names_(names) {
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

const OutlineTree* OutlineTableListing::tree() const noexcept {
    return content_ ? std::get_if<OutlineTree>(&*content_) : nullptr;
}

const OutlineFlatList* OutlineTableListing::flatList() const noexcept {
    return content_ ? std::get_if<OutlineFlatList>(&*content_) : nullptr;
}

OutlineFlatList* OutlineTableListing::mutableFlatList() noexcept {
    return content_ ? std::get_if<OutlineFlatList>(&*content_) : nullptr;
}

bool OutlineTableListing::inLoadedTree(const FileNode* node) const {
    const OutlineTree* shown = tree();
    return shown && node && isWithin(node, shown->root.get());
}

const FileNode* OutlineTableListing::listedSelfOrAncestor(const FileNode* node) {
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

OutlineTableListing::ContentKey OutlineTableListing::keyOf(const OutlineContent& content) {
    if (const auto* shown = std::get_if<OutlineTree>(&content)) return {false, shown->root.get(), 0};
    return {true, nullptr, std::get<OutlineFlatList>(content).generation};
}

// ---- Content ----

OutlineTableListing::Listed OutlineTableListing::update(const OutlineContent* content, bool treeChanged) {
    Listed listed;
    if (content && contentKey_ != keyOf(*content)) {
        // The last tree listed is the one shown, else the one left for a flat list.
        const FileNode* lastTree = tree() ? tree()->root.get() : savedTree_ ? savedTree_->root.get() : nullptr;
        applyContent(*content);
        listed.switched = true;
        listed.newTree = tree() && tree()->root.get() != lastTree;
    } else if (treeChanged && content_ && !reloadedForEdit_) {
        dropFolderOrders();
        reloadPreservingState();
    }
    reloadedForEdit_ = false;
    return listed;
}

void OutlineTableListing::clear() {
    if (!content_) return;
    // Without a scan nothing of the old tree is kept.
    stopBackgroundSort();
    dropFolderOrders();
    content_.reset();
    savedTree_.reset();
    contentKey_.reset();
    flatMembers_.reset();
    pendingReload_.reset();
    QScopedValueRollback changing(changingRows_, true);
    model_.showNothing();
}

void OutlineTableListing::applyContent(OutlineContent content) {
    if (const OutlineTree* shown = tree()) savedTree_ = SavedTree{shown->root, expandedNodes(), origin(), sort_};
    const auto* newTree = std::get_if<OutlineTree>(&content);
    auto* newFlat = std::get_if<OutlineFlatList>(&content);
    if (newTree && savedTree_ && savedTree_->root != newTree->root) savedTree_.reset();
    // New content is listed in the sort shown in the header at once.
    if (isSortPending()) {
        stopBackgroundSort();
        model_.setSort(sort_);
    }
    // The largest files come largest first when they are chosen, whatever order the
    // tree had; the tree comes back in the order it was left in.
    using Kind = OutlineFlatList::Source::Kind;
    if (newFlat && newFlat->source.kind == Kind::largest && !listedLargest_)
        showSort(OutlineSort{});
    else if (newTree && savedTree_)
        showSort(savedTree_->sort);
    if (!newFlat || newFlat->source.kind != Kind::placeholder) listedLargest_ = newFlat && newFlat->source.kind == Kind::largest;
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
    view_.setHoverNode(nullptr);
    {
        QScopedValueRollback changing(changingRows_, true);
        // Flat rows keep no room for disclosure triangles.
        view_.setRootIsDecorated(showsTree());
        if (const OutlineTree* shown = tree()) {
            model_.showTree(shown->root);
        } else {
            model_.showFlat(mutableFlatList()->nodes);
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
    const QModelIndex root = model_.index(0, 0);
    if (savedTree_) {
        {
            QScopedValueRollback changing(changingRows_, true);
            expandAll(savedTree_->expanded);
            view_.expand(root);
        }
        restoreOrigin(savedTree_->origin);
        return;
    }
    {
        QScopedValueRollback changing(changingRows_, true);
        view_.expand(root);
    }
    scrollToStart();
}

void OutlineTableListing::reloadPreservingState() {
    if (!content_) return;
    beginReload();
    endReload();
}

void OutlineTableListing::beginReload() {
    pendingReload_ = PendingReload{showsTree() ? expandedNodes() : std::vector<NodeRef>(), origin()};
    view_.setHoverNode(nullptr);
    QScopedValueRollback changing(changingRows_, true);
    model_.beginReload();
}

void OutlineTableListing::endReload() {
    if (!pendingReload_) return;
    PendingReload pending = std::move(*pendingReload_);
    pendingReload_.reset();
    {
        QScopedValueRollback changing(changingRows_, true);
        if (OutlineFlatList* flat = mutableFlatList()) {
            if (state_.root()) {
                std::erase_if(flat->nodes, [this](const NodeRef& n) { return !state_.isInsideTree(n.get()); });
                flat->updateMaxSize();
                flatMembers_.reset();
            }
            model_.endReload(flat->nodes);
        } else {
            model_.endReload();
            expandAll(pending.expanded);
        }
    }
    restoreOrigin(pending.origin);
    emit reloaded();
}

// ---- Sorting ----

void OutlineTableListing::sortRequested(int column, Qt::SortOrder order) {
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

void OutlineTableListing::showSort(const OutlineSort& sort) {
    if (sort == sort_) return;
    sort_ = sort;
    model_.setSort(sort_);
    showOutlineSortIndicator(*view_.header(), sort_);
}

void OutlineTableListing::applySortNow() {
    model_.setSort(sort_);
    if (OutlineFlatList* flat = mutableFlatList()) {
        sort_.sort(flat->nodes, names_);
        flat->updateMaxSize();
        flatMembers_.reset();
    }
    reloadPreservingState();
}

bool OutlineTableListing::startBackgroundSort() {
    const OutlineTree* shown = tree();
    // The size orders come from the stored order.
    if (!shown || sort_.key == OutlineSortKey::size) return false;
    std::vector<NodeRef> folders;
    for (NodeRef& node : expandedNodes())
        if (node->childCount() > kBackgroundSortMinimum) folders.push_back(std::move(node));
    if (folders.empty()) return false;
    std::stop_source& stop = sortStop_.emplace();
    const std::int64_t version = state_.treeVersion();
    const NodeRef root = shown->root;
    runInBackground(
        state_.executors().userInitiated, this,
        [sort = sort_, folders = std::move(folders), locale = names_.locale(), token = stop.get_token()] {
            const LocaleNameCollation collation(locale);
            return orderFolderChildren(sort, folders, collation, token);
        },
        [this, sort = sort_, version, root, token = stop.get_token()](OutlineFolderOrders orders) {
            if (token.stop_requested()) return;
            sortStop_.reset();
            const OutlineTree* now = tree();
            if (!orders.complete || sort != sort_ || !now || now->root != root || version != state_.treeVersion()) {
                // Found for a tree that has changed since: once more for the tree as it is.
                if (!startBackgroundSort()) applySortNow();
                return;
            }
            auto ready = std::make_shared<OutlineItemModel::FolderOrders>();
            for (OutlineFolderOrder& order : orders.folders) ready->emplace(order.folder.get(), std::move(order.children));
            model_.setSort(sort_, std::move(ready));
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

void OutlineTableListing::stopBackgroundSort() {
    if (!sortStop_) return;
    sortStop_->request_stop();
    sortStop_.reset();
}

void OutlineTableListing::dropFolderOrders() { model_.setSort(model_.sort()); }

// ---- Expansion and scroll position ----

std::vector<NodeRef> OutlineTableListing::expandedNodes() const {
    std::vector<NodeRef> out;
    for (const QModelIndex& index : model_.listedFolders())
        if (view_.isExpanded(index)) out.push_back(retainNode(model_.nodeAt(index)));
    return out;
}

void OutlineTableListing::expandAll(const std::vector<NodeRef>& nodes) {
    for (const NodeRef& node : nodes) {
        if (!inLoadedTree(node.get())) continue;
        const QModelIndex index = model_.indexOf(node.get());
        if (index.isValid()) view_.expand(index);
    }
}

OutlineTableListing::Origin OutlineTableListing::origin() const {
    return {view_.horizontalScrollBar()->value(), view_.verticalScrollBar()->value()};
}

void OutlineTableListing::scrollToStart() {
    view_.scrollToTop();
    view_.horizontalScrollBar()->setValue(0);
}

void OutlineTableListing::restoreOrigin(const Origin& origin) {
    view_.layoutNow();
    view_.horizontalScrollBar()->setValue(origin.x);
    view_.verticalScrollBar()->setValue(origin.y);
}

} // namespace plenwick
