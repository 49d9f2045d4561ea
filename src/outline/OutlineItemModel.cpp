#include "outline/OutlineItemModel.h"

#include "outline/OutlineCellContent.h"
#include "outline/OutlineColumns.h"

#include <algorithm>

namespace plenwick {

const std::vector<OutlineItemModel::Row*> OutlineItemModel::noRows_;

OutlineItemModel::OutlineItemModel(const NameCollation& names, QObject* parent)
    : QAbstractItemModel(parent), names_(names) {}

OutlineItemModel::~OutlineItemModel() = default;

void OutlineItemModel::clearRows() {
    top_.clear();
    rowOfNode_.clear();
    rows_.clear();
    topListed_ = false;
}

void OutlineItemModel::showTree(NodeRef root) {
    beginResetModel();
    clearRows();
    isTree_ = true;
    treeRoot_ = std::move(root);
    flat_.clear();
    endResetModel();
}

void OutlineItemModel::showFlat(std::vector<NodeRef> nodes) {
    beginResetModel();
    clearRows();
    isTree_ = false;
    treeRoot_.reset();
    flat_ = std::move(nodes);
    endResetModel();
}

void OutlineItemModel::showNothing() { showFlat({}); }

void OutlineItemModel::reload() {
    beginResetModel();
    clearRows();
    endResetModel();
}

void OutlineItemModel::beginReload() {
    beginResetModel();
    clearRows();
}

void OutlineItemModel::endReload() { endResetModel(); }

void OutlineItemModel::endReload(std::vector<NodeRef> flatNodes) {
    if (!isTree_) flat_ = std::move(flatNodes);
    endResetModel();
}

OutlineItemModel::Row* OutlineItemModel::makeRow(NodeRef node, Row* parent, int position) const {
    Row& row = rows_.emplace_back();
    row.node = std::move(node);
    row.parent = parent;
    row.position = position;
    row.depth = parent ? parent->depth + 1 : 0;
    rowOfNode_.emplace(row.node.get(), &row);
    return &row;
}

void OutlineItemModel::list(Row& row) const {
    if (row.listed) return;
    row.listed = true;
    if (!isTree_) return;
    std::vector<NodeRef> children = sort_.sortedChildren(*row.node, names_);
    row.children.reserve(children.size());
    for (std::size_t i = 0; i < children.size(); ++i)
        row.children.push_back(makeRow(std::move(children[i]), &row, static_cast<int>(i)));
}

const std::vector<OutlineItemModel::Row*>& OutlineItemModel::rowsUnder(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        if (!topListed_) {
            topListed_ = true;
            if (isTree_) {
                if (treeRoot_) top_.push_back(makeRow(treeRoot_, nullptr, 0));
            } else {
                top_.reserve(flat_.size());
                for (std::size_t i = 0; i < flat_.size(); ++i)
                    top_.push_back(makeRow(flat_[i], nullptr, static_cast<int>(i)));
            }
        }
        return top_;
    }
    Row* row = rowOf(parent);
    if (!row || parent.column() != 0 || !isTree_) return noRows_;
    list(*row);
    return row->children;
}

OutlineItemModel::Row* OutlineItemModel::rowOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    return static_cast<Row*>(index.internalPointer());
}

FileNode* OutlineItemModel::nodeAt(const QModelIndex& index) const {
    Row* row = rowOf(index);
    return row ? row->node.get() : nullptr;
}

QModelIndex OutlineItemModel::indexOf(const FileNode* node) {
    if (!node) return {};
    rowsUnder({});
    if (auto it = rowOfNode_.find(node); it != rowOfNode_.end())
        return createIndex(it->second->position, 0, it->second);
    if (!isTree_ || !treeRoot_) return {};
    // List the folders from the root down to the node's parent.
    std::vector<const FileNode*> chain;
    for (const FileNode* n = node; n; n = n->parent()) {
        chain.push_back(n);
        if (n == treeRoot_.get()) break;
    }
    if (chain.back() != treeRoot_.get()) return {};
    Row* row = top_.empty() ? nullptr : top_.front();
    for (auto it = chain.rbegin() + 1; row && it != chain.rend(); ++it) {
        list(*row);
        auto found = rowOfNode_.find(*it);
        row = found == rowOfNode_.end() || found->second->parent != row ? nullptr : found->second;
    }
    return row ? createIndex(row->position, 0, row) : QModelIndex();
}

std::vector<QModelIndex> OutlineItemModel::listedFolders() const {
    std::vector<const Row*> listed;
    for (const Row& row : rows_)
        if (row.listed && !row.children.empty()) listed.push_back(&row);
    std::stable_sort(listed.begin(), listed.end(), [](const Row* a, const Row* b) { return a->depth < b->depth; });
    std::vector<QModelIndex> out;
    out.reserve(listed.size());
    for (const Row* row : listed) out.push_back(createIndex(row->position, 0, const_cast<Row*>(row)));
    return out;
}

QModelIndex OutlineItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kOutlineColumnCount) return {};
    const std::vector<Row*>& rows = rowsUnder(parent);
    if (row >= static_cast<int>(rows.size())) return {};
    return createIndex(row, column, rows[static_cast<std::size_t>(row)]);
}

QModelIndex OutlineItemModel::parent(const QModelIndex& child) const {
    Row* row = rowOf(child);
    if (!row || !row->parent) return {};
    return createIndex(row->parent->position, 0, row->parent);
}

int OutlineItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return static_cast<int>(rowsUnder(parent).size());
}

int OutlineItemModel::columnCount(const QModelIndex&) const { return kOutlineColumnCount; }

bool OutlineItemModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return rowCount(parent) > 0;
    Row* row = rowOf(parent);
    return isTree_ && row && parent.column() == 0 && row->node->isContainer() && row->node->childCount() > 0;
}

QVariant OutlineItemModel::data(const QModelIndex& index, int role) const {
    Row* row = rowOf(index);
    const std::optional<OutlineColumn> column = outlineColumnAt(index.column());
    if (!row || !column) return {};
    const FileNode& node = *row->node;
    switch (role) {
    case Qt::DisplayRole:
        switch (*column) {
        case OutlineColumn::name: return QString::fromStdString(node.displayName());
        case OutlineColumn::size: return outlineSizeText(node);
        case OutlineColumn::items: return outlineItemsText(node);
        case OutlineColumn::modified: return outlineModifiedText(node);
        case OutlineColumn::share: return {};
        }
        return {};
    case Qt::TextAlignmentRole:
        return outlineColumn(*column).alignRight ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default: return {};
    }
}

QVariant OutlineItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const std::optional<OutlineColumn> column = outlineColumnAt(section);
    if (orientation != Qt::Horizontal || !column) return {};
    const OutlineColumnInfo& info = outlineColumn(*column);
    switch (role) {
    case Qt::DisplayRole: return info.title;
    case Qt::ToolTipRole: return info.toolTip.isEmpty() ? QVariant() : QVariant(info.toolTip);
    case Qt::TextAlignmentRole:
        return int((info.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::InitialSortOrderRole: return int(info.firstAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    default: return {};
    }
}

Qt::ItemFlags OutlineItemModel::flags(const QModelIndex& index) const {
    if (!rowOf(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (!isTree_) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void OutlineItemModel::sort(int column, Qt::SortOrder order) { emit sortRequested(column, order); }

} // namespace plenwick
