#pragma once
// Stands between the sidebar's state and its tree table. The sidebar tells it what
// changed (what to list, the tree, the selection or focus, what the rows show), and
// each change becomes the smallest change of the table: switching content, reloading
// in place while keeping expansion and scroll position, re-selecting, or only
// repainting the visible rows. The other way, clicks, selection, hovering, keys,
// double clicks and the menus end in the application state or in the desktop. The
// work is its parts'; it builds the table and wires them to it. GUI thread only.

#include "outline/LocaleNameCollation.h"
#include "outline/OutlineContent.h"
#include "outline/OutlineSort.h"
#include "outline/OutlineTableListing.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>
#include <optional>

class QMenu;

namespace plenwick {

class AppState;
class OutlineItemModel;
class OutlineSelectionSync;
class OutlineTableColumns;
class OutlineTableInput;
class OutlineTableView;

// What changed since the table's last update, as the sidebar tells it. Every update
// also brings the hover highlight up to date with the state.
struct OutlineTableChange {
    // What to list, when it may have changed (null: as before).
    const OutlineContent* content = nullptr;
    bool tree = false;      // the tree changed in place (a new tree version)
    bool selection = false; // the selection
    bool focus = false;     // the focus
    bool rows = false;      // what the rows show: the colours, the type filter, the collector
};

// The table's parts wired to the table and the state: the listing (which rows), the
// selection sync (selection, focus and hover), the columns, and the input (keys,
// double clicks, drags); the row menus are its own.
class OutlineTableCoordinator final : public QObject {
    Q_OBJECT

public:
    static constexpr int kTreeRowHeight = 22;
    static constexpr int kFlatRowHeight = 34;
    static constexpr std::size_t kBackgroundSortMinimum = OutlineTableListing::kBackgroundSortMinimum;

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
    const std::optional<OutlineContent>& content() const noexcept;
    // The loaded flat list; null while the tree (or nothing) is loaded.
    const OutlineFlatList* flatList() const noexcept;
    bool showsTree() const noexcept;
    int rowHeight() const noexcept;
    const OutlineSort& sort() const noexcept;

    // ---- Exposed for the sidebar and its tests ----
    const FileNode* highlightedRowItem() const noexcept;
    // Fills and shows the context menu of `node` at `globalPos` (no menu for none).
    QMenu* showContextMenu(FileNode* node, QPoint globalPos);
    QMenu* showHeaderMenu(QPoint globalPos);
    // The column layout as saved.
    void saveColumnLayout();
    // Whether a deferred selection sync is waiting to run.
    bool isSelectionSyncScheduled() const noexcept;
    // Whether the rows wait for their folders' order in the current sort, found in the
    // background; until it comes they keep the order they had.
    bool isSortPending() const noexcept;

private:
    AppState& state_;
    LocaleNameCollation names_;
    QPointer<OutlineTableView> view_;
    OutlineItemModel* model_;
    std::unique_ptr<OutlineTableListing> listing_;
    std::unique_ptr<OutlineSelectionSync> selection_;
    std::unique_ptr<OutlineTableColumns> columns_;
    std::unique_ptr<OutlineTableInput> input_;
};

} // namespace plenwick
