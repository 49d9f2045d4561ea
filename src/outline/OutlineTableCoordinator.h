#pragma once
// Stands between the sidebar's state and its tree table. The sidebar tells it what
// changed (what to list, the tree, the selection or focus, what the rows show), and
// each change becomes the smallest change of the table: switching content, reloading
// in place while keeping expansion and scroll position, re-selecting, or only
// repainting the visible rows. The other way, clicks, selection, hovering, keys,
// double clicks and the menus end in the application state or in the desktop. GUI
// thread only.

#include "outline/LocaleNameCollation.h"
#include "outline/OutlineContent.h"
#include "outline/OutlineSort.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <unordered_set>
#include <vector>

class QKeyEvent;
class QMenu;
class QModelIndex;

namespace plenwick {

class AppState;
class OutlineItemModel;
class OutlineTableView;

// What changed since the table's last update, as the sidebar tells it. Every update
// also brings the hover highlight up to date with the state.
struct OutlineTableChange {
    // What to list, when it may have changed (null: as before).
    const OutlineContent* content = nullptr;
    bool tree = false;      // the tree changed in place (a new tree version)
    bool selection = false; // the selection or the focus
    bool rows = false;      // what the rows show: the colours, the type filter, the collector
};

class OutlineTableCoordinator final : public QObject {
    Q_OBJECT

public:
    static constexpr int kTreeRowHeight = 22;
    static constexpr int kFlatRowHeight = 34;

    // Builds the table as a child of `parent`, which owns it, and restores its saved
    // column layout. The coordinator goes before the table.
    OutlineTableCoordinator(AppState& state, QWidget* parent);
    ~OutlineTableCoordinator() override;

    OutlineTableView& view() const noexcept;
    OutlineItemModel& model() const noexcept { return *model_; }
    AppState& state() const noexcept { return state_; }

    void update(const OutlineTableChange& change);
    // Lists nothing (there is no scan); the next update loads its content afresh.
    void clear();

    // ---- What the cells read ----
    const std::optional<OutlineContent>& content() const noexcept { return content_; }
    // The loaded flat list; null while the tree (or nothing) is loaded.
    const OutlineFlatList* flatList() const noexcept;
    bool showsTree() const noexcept;
    int rowHeight() const noexcept;
    const OutlineSort& sort() const noexcept { return sort_; }

    // ---- Exposed for the sidebar and its tests ----
    // Shows `selection` and reveals `focus`; true when the focus changed.
    bool syncSelection(const NodeRef& selection, const NodeRef& focus);
    // The row that shows the hover of `node`: in the tree the node's row, or the row of
    // the collapsed folder that hides it; in a flat list the node's row or that of its
    // nearest listed folder; none when no row holds it.
    const FileNode* hoverRowItem(const FileNode* node);
    const FileNode* highlightedRowItem() const noexcept { return highlightedRowItem_; }
    // Narrows the name column so that every shown column fits the table's width.
    void fitNameColumn();
    // Gives the name column the width the other shown columns leave (at least its
    // minimum): when the table's width changes and when a column is hidden.
    void fillNameColumn();
    // Fills and shows the context menu of `node` at `globalPos` (no menu for none).
    QMenu* showContextMenu(FileNode* node, QPoint globalPos);
    QMenu* showHeaderMenu(QPoint globalPos);
    // The column layout as saved.
    void saveColumnLayout();
    // Whether a deferred selection sync is waiting to run.
    bool isSelectionSyncScheduled() const noexcept { return isSelectionSyncScheduled_; }
    // Whether the rows wait for their folders' order in the current sort, found in the
    // background; until it comes they keep the order they had.
    bool isSortPending() const noexcept { return sortStop_.has_value(); }

    // Expanded folders with more children than this are ordered in the background.
    static constexpr std::size_t kBackgroundSortMinimum = 4096;

private:
    struct ContentKey {
        bool flat = false;
        const FileNode* root = nullptr;
        std::int64_t generation = 0;
        friend bool operator==(const ContentKey&, const ContentKey&) = default;
    };
    struct Origin {
        int x = 0;
        int y = 0;
    };
    struct SavedTree {
        NodeRef root;
        std::vector<NodeRef> expanded;
        Origin origin;
    };
    struct PendingReload {
        std::vector<NodeRef> expanded;
        Origin origin;
    };

    static ContentKey keyOf(const OutlineContent& content);
    void applyContent(OutlineContent content);
    void reloadPreservingState();
    // The two halves of a reload in place; a tree edit runs between them.
    void beginReload();
    void endReload();
    void selectAndCenter(const NodeRef& node, bool scroll);
    void revealNode(const FileNode* node, bool expandItself, bool centre);
    void deferredSync();
    void reloadVisibleRows();
    void refreshHoverHighlight(const NodeRef& hovered);
    void setHovered(FileNode* node);
    bool handleKeyDown(QKeyEvent* event);
    void doubleClicked(const QModelIndex& index);
    void selectionChanged();
    void sortRequested(int column, Qt::SortOrder order);
    // Lists the rows in `sort_` at once, folders as they come.
    void applySortNow();
    // Starts ordering the large expanded folders in `sort_` in the background; false
    // when there are none (or the sort needs no ordering).
    bool startBackgroundSort();
    void stopBackgroundSort();
    // Forgets the folder orders found for the tree as it was.
    void dropFolderOrders();
    void toggleColumn(int logical);
    void columnResized(int logical, int oldSize, int newSize);
    void startDrag();
    void scheduleSave();
    // The name column's narrowest width for the rows now shown.
    int nameMinimumWidth() const;

    // Rows of the tree reported expanded, outermost first.
    std::vector<NodeRef> expandedNodes() const;
    void expandAll(const std::vector<NodeRef>& nodes);
    bool inLoadedTree(const FileNode* node) const;
    Origin origin() const;
    void restoreOrigin(const Origin& origin);
    // The first row at the top, the first column at the left.
    void scrollToStart();
    void centreIfHidden(const QModelIndex& index);
    FileNode* selectedNode() const;

    // Sets `isSyncingSelection_` for the lifetime of the guard.
    class Syncing {
    public:
        explicit Syncing(OutlineTableCoordinator& c) : c_(c), was_(c.isSyncingSelection_) { c_.isSyncingSelection_ = true; }
        ~Syncing() { c_.isSyncingSelection_ = was_; }

    private:
        OutlineTableCoordinator& c_;
        bool was_;
    };

    AppState& state_;
    LocaleNameCollation names_;
    QPointer<OutlineTableView> view_;
    OutlineItemModel* model_;
    std::optional<OutlineContent> content_;
    std::optional<std::unordered_set<const FileNode*>> flatMembers_;
    std::optional<ContentKey> contentKey_;
    OutlineSort sort_;
    // Set while a background sort runs; its stop is requested when it is superseded.
    std::optional<std::stop_source> sortStop_;
    // What the table shows of the selection and the focus (a row clicked, or the
    // state's as last synced), and the root of the last tree it listed.
    NodeRef lastSelection_;
    NodeRef lastFocus_;
    NodeRef lastTreeRoot_;
    const FileNode* highlightedRowItem_ = nullptr;
    NodeRef lastHoverSent_;
    bool isSyncingSelection_ = false;
    std::optional<SavedTree> savedTree_;
    bool isSelectionSyncScheduled_ = false;
    // A tree edit reloaded the table already; the tree change after it needs no reload.
    bool reloadedForEdit_ = false;
    std::optional<PendingReload> pendingReload_;
    bool resizingColumns_ = false;
    bool saveScheduled_ = false;
    // The row to centre once the table is on screen.
    NodeRef pendingCentre_;
    // A saved layout was restored and is fitted to the table's first width.
    bool fitRestoredLayout_ = false;
    // The name column's minimum it was last fitted to.
    int nameMinimumApplied_ = 0;
};

} // namespace plenwick
