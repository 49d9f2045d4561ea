#include "outline/OutlineSelectionSync.h"

#include "app/AppState.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableListing.h"
#include "outline/OutlineTableView.h"
#include "runtime/AfterNotifying.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace plenwick {

std::vector<const FileNode*> listedAncestors(const FileNode* node, const FileNode* root) {
    std::vector<const FileNode*> ancestors;
    if (node != root)
        for (const FileNode* a = node->parent(); a; a = a->parent()) {
            ancestors.push_back(a);
            if (a == root) break;
        }
    std::reverse(ancestors.begin(), ancestors.end());
    return ancestors;
}

OutlineSelectionSync::OutlineSelectionSync(AppState& state, OutlineTableView& view, OutlineItemModel& model,
                                           OutlineTableListing& listing)
    : state_(state), view_(view), model_(model), listing_(listing) {}

// ---- Selection and focus ----

bool OutlineSelectionSync::update(bool switched, bool newTree, bool selectionChanged, bool focusChanged) {
    if (switched) {
        unshown_.selection = true;
        told_.hover.reset();
    }
    if (newTree) unshown_.focus = true;
    if (selectionChanged && !told_.selecting) unshown_.selection = true;
    if (focusChanged) unshown_.focus = true;
    if (!listing_.content() || !(switched || selectionChanged || focusChanged) ||
        !(unshown_.selection || unshown_.focus))
        return false;
    if (!switched && listing_.showsTree()) {
        if (!isSyncScheduled_) {
            isSyncScheduled_ = true;
            QTimer::singleShot(0, this, &OutlineSelectionSync::deferredSync);
        }
        return false;
    }
    return sync();
}

void OutlineSelectionSync::clear() {
    pendingCentre_.reset();
    view_.setHoverNode(nullptr);
    unshown_ = {};
    told_.hover.reset();
}

void OutlineSelectionSync::deferredSync() {
    isSyncScheduled_ = false;
    const OutlineTree* tree = listing_.tree();
    if (!tree || state_.root() != tree->root) return;
    if (sync()) view_.viewport()->update();
    // The rows moved: the highlight is drawn afresh.
    view_.setHoverNode(nullptr);
    showHover();
}

bool OutlineSelectionSync::sync() {
    bool mayCentreFocus = true;
    if (unshown_.selection) {
        selectAndCenter(state_.selection(), true);
        mayCentreFocus = !state_.selection();
    }
    if (!unshown_.focus) return false;
    unshown_.focus = false;
    const NodeRef& focus = state_.focus();
    if (focus && listing_.showsTree()) revealNode(focus.get(), true, mayCentreFocus);
    return true;
}

void OutlineSelectionSync::showSelectionAfterReload() { selectAndCenter(state_.selection(), false); }

void OutlineSelectionSync::selectAndCenter(const NodeRef& node, bool scroll) {
    unshown_.selection = false;
    QItemSelectionModel* selection = view_.selectionModel();
    if (!node) {
        QScopedValueRollback syncing(isSyncing_, true);
        selection->clearSelection();
        return;
    }
    const bool tree = listing_.showsTree();
    if (tree) revealNode(node.get(), false, false);
    const QModelIndex index = tree && !listing_.inLoadedTree(node.get()) ? QModelIndex() : model_.indexOf(node.get());
    {
        QScopedValueRollback syncing(isSyncing_, true);
        if (!index.isValid()) {
            selection->clearSelection();
        } else {
            selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }
    if (scroll && index.isValid()) centreIfHidden(index);
}

void OutlineSelectionSync::revealNode(const FileNode* node, bool expandItself, bool centre) {
    const OutlineTree* tree = listing_.tree();
    if (!tree || !listing_.inLoadedTree(node)) return;
    std::vector<QModelIndex> toExpand;
    for (const FileNode* a : listedAncestors(node, tree->root.get())) {
        const QModelIndex index = model_.indexOf(a);
        if (index.isValid() && !view_.isExpanded(index)) toExpand.push_back(index);
    }
    if (expandItself && node->isContainer()) {
        const QModelIndex index = model_.indexOf(node);
        if (index.isValid() && !view_.isExpanded(index)) toExpand.push_back(index);
    }
    if (!toExpand.empty()) {
        QScopedValueRollback syncing(isSyncing_, true);
        for (const QModelIndex& index : toExpand) view_.expand(index);
    }
    if (centre) {
        const QModelIndex index = model_.indexOf(node);
        if (index.isValid()) centreIfHidden(index);
    }
}

void OutlineSelectionSync::centreIfHidden(const QModelIndex& index) {
    // Before the table is on screen its size is not yet its own (a row may not even
    // fit): the row is centred once it is shown.
    if (!view_.isVisible()) {
        pendingCentre_ = retainNode(model_.nodeAt(index));
        return;
    }
    pendingCentre_.reset();
    view_.layoutNow();
    const QRect row = view_.rowRect(index);
    if (row.isEmpty()) return;
    const QRect visible = view_.viewport()->rect();
    if (row.top() >= visible.top() && row.bottom() <= visible.bottom()) return;
    view_.scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void OutlineSelectionSync::centrePending() {
    NodeRef node = std::move(pendingCentre_);
    pendingCentre_.reset();
    if (!node) return;
    const QModelIndex index =
        listing_.inLoadedTree(node.get()) || listing_.flatList() ? model_.indexOf(node.get()) : QModelIndex();
    if (index.isValid()) centreIfHidden(index);
}

void OutlineSelectionSync::tableSelectionChanged() {
    if (isSyncing_ || listing_.isChangingRows()) return;
    NodeRef node = retainNode(view_.selectedNode());
    unshown_.selection = false;
    if (state_.selection() == node) return;
    QScopedValueRollback selecting(told_.selecting, true);
    state_.select(std::move(node));
}

// ---- Hover ----

const FileNode* OutlineSelectionSync::hoverRowItem(const FileNode* node) {
    if (!node) return nullptr;
    if (const OutlineTree* tree = listing_.tree()) {
        if (!listing_.inLoadedTree(node)) return nullptr;
        for (const FileNode* a : listedAncestors(node, tree->root.get()))
            if (!view_.isExpanded(model_.indexOf(a))) return a;
        return node;
    }
    return listing_.listedSelfOrAncestor(node);
}

void OutlineSelectionSync::showHover() { view_.setHoverNode(hoverRowItem(state_.hovered().get())); }

void OutlineSelectionSync::rowHovered(FileNode* node) {
    NodeRef hovered = retainNode(node);
    if (hovered == told_.hover) return;
    told_.hover = hovered;
    callAfterNotifying(this, [this, hovered = std::move(hovered)] {
        if (state_.hovered() != hovered) state_.setHovered(hovered);
    });
}

} // namespace plenwick
