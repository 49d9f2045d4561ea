#pragma once
// Which rows the outline's table holds: the content listed (the tree below the scan
// root, or a flat list), switched as the sidebar asks while a tree left for a flat
// list keeps its expansion, scroll position and order for its return, and the
// largest files come largest first when chosen; reloads in place
// around tree edits and sorts, keeping expansion and scroll; and the order of the
// rows, wide folders ordered in the background. GUI thread only.

#include "outline/LocaleNameCollation.h"
#include "outline/OutlineContent.h"
#include "outline/OutlineSort.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <unordered_set>
#include <vector>

namespace plenwick {

class AppState;
class OutlineItemModel;
class OutlineTableView;

class OutlineTableListing final : public QObject {
    Q_OBJECT

public:
    // Expanded folders with more children than this are ordered in the background.
    static constexpr std::size_t kBackgroundSortMinimum = 4096;

    OutlineTableListing(AppState& state, OutlineTableView& view, OutlineItemModel& model,
                        const LocaleNameCollation& names);

    struct Listed {
        bool switched = false; // other content is listed, its rows new
        bool newTree = false;  // ... and it is a tree other than the last one listed
    };
    // Lists `content` unless it is what is listed already (null: as before), else
    // reloads in place when the tree changed in place.
    Listed update(const OutlineContent* content, bool treeChanged);
    // Lists nothing, and forgets the tree it listed.
    void clear();

    const std::optional<OutlineContent>& content() const noexcept { return content_; }
    const OutlineTree* tree() const noexcept;
    // The loaded flat list; null while the tree (or nothing) is loaded.
    const OutlineFlatList* flatList() const noexcept;
    bool showsTree() const noexcept { return tree() != nullptr; }
    bool inLoadedTree(const FileNode* node) const;
    // The row of a flat list that stands for `node`: its own, else its nearest listed
    // folder's; null when none does (or no flat list is loaded).
    const FileNode* listedSelfOrAncestor(const FileNode* node);
    // While the rows are changed here the table's selection changes with them, not by
    // the user.
    bool isChangingRows() const noexcept { return changingRows_; }

    const OutlineSort& sort() const noexcept { return sort_; }
    // Whether the rows wait for their folders' order in the current sort, found in the
    // background; until it comes they keep the order they had.
    bool isSortPending() const noexcept { return sortStop_.has_value(); }
    // A header asked for the sort of `column`.
    void sortRequested(int column, Qt::SortOrder order);

signals:
    // The rows were reloaded in place: the selection is to be shown on them again.
    void reloaded();

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
        OutlineSort sort;
    };
    struct PendingReload {
        std::vector<NodeRef> expanded;
        Origin origin;
    };

    static ContentKey keyOf(const OutlineContent& content);
    OutlineFlatList* mutableFlatList() noexcept;
    void applyContent(OutlineContent content);
    void reloadPreservingState();
    // The two halves of a reload in place; a tree edit runs between them.
    void beginReload();
    void endReload();
    // Lists the rows in `sort_` at once, folders as they come.
    void applySortNow();
    // Takes `sort` for the content about to be listed and shows it in the header.
    void showSort(const OutlineSort& sort);
    // Starts ordering the large expanded folders in `sort_` in the background; false
    // when there are none (or the sort needs no ordering).
    bool startBackgroundSort();
    void stopBackgroundSort();
    // Forgets the folder orders found for the tree as it was.
    void dropFolderOrders();

    // Rows of the tree reported expanded, outermost first.
    std::vector<NodeRef> expandedNodes() const;
    void expandAll(const std::vector<NodeRef>& nodes);
    Origin origin() const;
    void restoreOrigin(const Origin& origin);
    // The first row at the top, the first column at the left.
    void scrollToStart();

    AppState& state_;
    OutlineTableView& view_;
    OutlineItemModel& model_;
    const LocaleNameCollation& names_;
    std::optional<OutlineContent> content_;
    std::optional<ContentKey> contentKey_;
    // The nodes of the flat list, found when first asked.
    std::optional<std::unordered_set<const FileNode*>> flatMembers_;
    // The tree last left for a flat list, to come back to as it was.
    std::optional<SavedTree> savedTree_;
    std::optional<PendingReload> pendingReload_;
    // A tree edit reloaded the table already; the tree change after it needs no reload.
    bool reloadedForEdit_ = false;
    bool changingRows_ = false;
    OutlineSort sort_;
    // The last list other than a placeholder was the largest files.
    bool listedLargest_ = false;
    // Set while a background sort runs; its stop is requested when it is superseded.
    std::optional<std::stop_source> sortStop_;
};

} // namespace plenwick
