#pragma once
// The rows of the outline table as a Qt item model: the whole tree under one
// top-level row, or a flat list of rows without children. GUI thread only.
//
// Rows are made on demand: a folder's children are listed, in the current order,
// the first time the table asks for them. An index names its row by the folder that
// lists it and its position there, so a row of its own is made only for a folder
// whose children are asked for: a folder of 150,000 files costs one list of nodes,
// not 150,000 rows, and none at all in the order the tree keeps. Finding a listed node's position is a search, and a lookup
// table per folder once it has been searched a few times. A reset forgets every row; the table then asks afresh. The
// coordinator resets around every edit of the tree, so no row outlives its place.

#include "app/VolumeNameMap.h"
#include "outline/NameCollation.h"
#include "outline/OutlineSort.h"

#include <QAbstractItemModel>

#include <deque>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace plenwick {

class OutlineItemModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    OutlineItemModel(const NameCollation& names, QObject* parent = nullptr);
    ~OutlineItemModel() override;

    // Replace what is listed; each resets the model.
    void showTree(NodeRef root);
    void showFlat(std::vector<NodeRef> nodes);
    void showNothing();
    // Children of folders already in some order, by folder.
    using FolderOrders = std::unordered_map<const FileNode*, std::vector<NodeRef>>;
    // Lists children in `sort` from the next reset on, those of the folders in
    // `ready` (found in this sort, for the tree as it is) as they stand there.
    void setSort(const OutlineSort& sort, std::shared_ptr<const FolderOrders> ready = nullptr);
    const OutlineSort& sort() const noexcept { return sort_; }
    // The volumes' names the name column calls a scanned volume's root by.
    void setVolumeNames(std::shared_ptr<const VolumeNameMap> names) { volumeNames_ = std::move(names); }
    // Forgets every row and lists the same content again.
    void reload();
    // A reload in two halves, with an edit of the tree between them: the first forgets
    // every row and lets the table know, the second lists the content again (for a
    // flat list, `flatNodes` in place of the old nodes).
    void beginReload();
    void endReload();
    void endReload(std::vector<NodeRef> flatNodes);

    bool isTree() const noexcept { return isTree_; }
    const NodeRef& treeRoot() const noexcept { return treeRoot_; }
    // The node of a row; null for an invalid index.
    FileNode* nodeAt(const QModelIndex& index) const;
    // The row of `node` in column 0, listing the folders above it as needed; invalid
    // when the node is not listed (outside the tree, or not in the flat list).
    QModelIndex indexOf(const FileNode* node);
    // Rows listed so far whose children have been listed, outermost first.
    std::vector<QModelIndex> listedFolders() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The table asks to sort by a header: passed on as `sortRequested`; the
    // coordinator decides.
    void sort(int column, Qt::SortOrder order) override;

signals:
    void sortRequested(int column, Qt::SortOrder order);

private:
    // A list of rows: the top level, or a folder whose children were asked for.
    // Indexes of the rows it lists point at it.
    struct Row {
        const FileNode* node = nullptr;  // null for the top level
        Row* parent = nullptr;           // the list that holds this row; null for the top level
        int position = 0;                // among the parent's rows
        int depth = -1;                  // the top level's; its rows are at 0
        bool listed = false;             // `children` holds the rows' nodes
        // The rows' nodes in the current order: the folder's own children in the
        // order the tree keeps, else `sorted`.
        std::span<const NodeRef> children;
        std::vector<NodeRef> sorted;
        // Per row, whether its node has children of its own (tree rows only): read
        // once while listing, so the table's question for each row touches no node.
        std::vector<bool> opens;
        // Position of each child, made once the list has been searched a few times.
        int searches = 0;
        std::unique_ptr<std::unordered_map<const FileNode*, int>> positions;
    };

    void clearRows();
    // The list of `index`'s row's children, made and listed when not done yet; null
    // for a row that lists none.
    Row* listOf(const QModelIndex& index) const;
    Row* listOf(Row& parent, int position) const;
    // Lists the children of `row` when not done yet.
    void list(Row& row) const;
    Row* parentListOf(const QModelIndex& index) const;
    // The position of `node` among the children of `row`, or -1.
    int positionIn(Row& row, const FileNode* node) const;

    const NameCollation& names_;
    std::shared_ptr<const VolumeNameMap> volumeNames_ = std::make_shared<const VolumeNameMap>();
    OutlineSort sort_;
    std::shared_ptr<const FolderOrders> ready_;
    // Orders replaced since the last reset: rows listed before it may still show them.
    std::vector<std::shared_ptr<const FolderOrders>> retiredReady_;
    bool isTree_ = false;
    NodeRef treeRoot_;
    std::vector<NodeRef> flat_;
    // Rows are made lazily, also from const queries of the table.
    mutable Row top_;
    mutable std::deque<Row> rows_;
    mutable std::unordered_map<const FileNode*, Row*> rowOfNode_;
    // The last list an index asked for, as the table asks for one row after another.
    mutable const Row* lastParent_ = nullptr;
    mutable int lastPosition_ = -1;
    mutable Row* lastList_ = nullptr;
};

} // namespace plenwick
