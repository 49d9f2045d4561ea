#pragma once
// The rows of the outline table as a Qt item model: the whole tree under one
// top-level row, or a flat list of rows without children. GUI thread only.
//
// Rows are made on demand: a folder's children are listed, in the current order,
// the first time the table asks for them, and each row keeps its node alive and
// knows its parent row and its own position, so finding a row's parent costs
// nothing. A reset forgets every row; the table then asks afresh. The coordinator
// resets around every edit of the tree, so no row ever outlives its place.

#include "outline/NameCollation.h"
#include "outline/OutlineSort.h"

#include <QAbstractItemModel>

#include <deque>
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
    // Lists children in `sort` from the next reset on.
    void setSort(const OutlineSort& sort) { sort_ = sort; }
    const OutlineSort& sort() const noexcept { return sort_; }
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
    struct Row {
        NodeRef node;
        Row* parent = nullptr;
        int position = 0;  // among its parent's children (or the top level)
        int depth = 0;
        bool listed = false;  // `children` holds the node's children
        std::vector<Row*> children;
    };

    void clearRows();
    Row* makeRow(NodeRef node, Row* parent, int position) const;
    // Lists the children of `row` when not done yet.
    void list(Row& row) const;
    const std::vector<Row*>& rowsUnder(const QModelIndex& parent) const;
    Row* rowOf(const QModelIndex& index) const;

    const NameCollation& names_;
    OutlineSort sort_;
    bool isTree_ = false;
    NodeRef treeRoot_;
    std::vector<NodeRef> flat_;
    // Rows are made lazily, also from const queries of the table.
    mutable std::deque<Row> rows_;
    mutable std::vector<Row*> top_;
    mutable std::unordered_map<const FileNode*, Row*> rowOfNode_;
    mutable bool topListed_ = false;
    static const std::vector<Row*> noRows_;
};

} // namespace plenwick
