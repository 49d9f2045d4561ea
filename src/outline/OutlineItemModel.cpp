#include "outline/OutlineItemModel.h"

#include "outline/OutlineCellContent.h"
#include "outline/OutlineColumns.h"

#include <QTimer>

#include <algorithm>

namespace plenwick {

OutlineItemModel::OutlineItemModel(const NameCollation& names, QObject* parent)
    : QAbstractItemModel(parent), names_(names) {}

OutlineItemModel::~OutlineItemModel() = default;

void OutlineItemModel::setSort(const OutlineSort& sort, std::shared_ptr<const FolderOrders> ready) {
    sort_ = sort;
    if (ready_) retiredReady_.push_back(std::move(ready_));
    ready_ = std::move(ready);
}

void OutlineItemModel::clearRows() {
    top_.listed = false;
    top_.children = {};
    top_.sorted.clear();
    top_.opens.clear();
    top_.positions.reset();
    top_.searches = 0;
    // Freeing the rows of wide folders (their lists and lookup tables) takes
    // milliseconds: past this many listed entries it waits for the next turn of the
    // event loop, out of the frame that resets.
    constexpr std::size_t kFreedLater = 20000;
    std::size_t entries = 0;
    for (const Row& row : rows_) entries += row.children.size();
    if (entries > kFreedLater) {
        struct Freed {
            std::deque<Row> rows;
            std::unordered_map<const FileNode*, Row*> rowOfNode;
            std::vector<std::shared_ptr<const FolderOrders>> ready;
        };
        auto freed = std::make_shared<Freed>(Freed{std::move(rows_), std::move(rowOfNode_), std::move(retiredReady_)});
        QTimer::singleShot(0, this, [freed] {});
    }
    rowOfNode_.clear();
    rows_.clear();
    retiredReady_.clear();
    lastParent_ = nullptr;
    lastPosition_ = -1;
    lastList_ = nullptr;
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

void OutlineItemModel::list(Row& row) const {
    if (row.listed) return;
    row.listed = true;
    if (&row == &top_) {
        if (isTree_) {
            if (treeRoot_) row.sorted.push_back(treeRoot_);
        } else {
            row.sorted = flat_;
        }
        row.children = row.sorted;
    } else if (isTree_) {
        if (sort_.isDefault()) {
            row.children = row.node->children();
        } else if (const auto it = ready_ ? ready_->find(row.node) : FolderOrders::const_iterator();
                   ready_ && it != ready_->end()) {
            row.children = it->second;
        } else {
            row.sorted = sort_.sortedChildren(*row.node, names_);
            row.children = row.sorted;
        }
    }
    if (!isTree_) return;
    // One pass over the nodes, fetched ahead: in a folder of 150,000 files each node
    // read on its own would wait for memory.
    constexpr std::size_t kAhead = 16;
    const std::size_t count = row.children.size();
    row.opens.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) __builtin_prefetch(row.children[i + kAhead].get());
        const FileNode& node = *row.children[i];
        row.opens[i] = node.isContainer() && node.childCount() > 0;
    }
}

OutlineItemModel::Row* OutlineItemModel::listOf(Row& parent, int position) const {
    if (&parent == lastParent_ && position == lastPosition_) return lastList_;
    list(parent);
    if (position < 0 || position >= static_cast<int>(parent.children.size())) return nullptr;
    const FileNode* node = parent.children[static_cast<std::size_t>(position)].get();
    Row* row = nullptr;
    if (auto it = rowOfNode_.find(node); it != rowOfNode_.end()) {
        row = it->second;
    } else {
        row = &rows_.emplace_back();
        row->node = node;
        row->parent = &parent;
        row->position = position;
        row->depth = parent.depth + 1;
        rowOfNode_.emplace(node, row);
    }
    list(*row);
    lastParent_ = &parent;
    lastPosition_ = position;
    lastList_ = row;
    return row;
}

OutlineItemModel::Row* OutlineItemModel::listOf(const QModelIndex& index) const {
    if (!index.isValid()) {
        list(top_);
        return &top_;
    }
    Row* parent = parentListOf(index);
    if (!parent || index.column() != 0 || !isTree_) return nullptr;
    return listOf(*parent, index.row());
}

OutlineItemModel::Row* OutlineItemModel::parentListOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    return static_cast<Row*>(index.internalPointer());
}

int OutlineItemModel::positionIn(Row& row, const FileNode* node) const {
    list(row);
    // A list is searched (150,000 entries take a fraction of a millisecond) until it
    // has been searched a few times: a reload looks each expanded folder up once, and
    // a lookup table made then would cost the frame more than the searches it saves.
    constexpr int kSearches = 4;
    if (!row.positions && row.searches < kSearches) {
        ++row.searches;
        const auto it = std::find_if(row.children.begin(), row.children.end(),
                                     [node](const NodeRef& child) { return child.get() == node; });
        return it == row.children.end() ? -1 : static_cast<int>(it - row.children.begin());
    }
    if (!row.positions) {
        row.positions = std::make_unique<std::unordered_map<const FileNode*, int>>();
        row.positions->reserve(row.children.size());
        for (std::size_t i = 0; i < row.children.size(); ++i)
            row.positions->emplace(row.children[i].get(), static_cast<int>(i));
    }
    const auto it = row.positions->find(node);
    return it == row.positions->end() ? -1 : it->second;
}

FileNode* OutlineItemModel::nodeAt(const QModelIndex& index) const {
    Row* parent = parentListOf(index);
    if (!parent || index.row() < 0 || index.row() >= static_cast<int>(parent->children.size())) return nullptr;
    return parent->children[static_cast<std::size_t>(index.row())].get();
}

QModelIndex OutlineItemModel::indexOf(const FileNode* node) {
    if (!node) return {};
    list(top_);
    if (!isTree_) {
        const int position = positionIn(top_, node);
        return position < 0 ? QModelIndex() : createIndex(position, 0, &top_);
    }
    if (!treeRoot_) return {};
    // The folders from the root down to the node's parent, each listed in turn.
    std::vector<const FileNode*> chain;
    for (const FileNode* n = node; n; n = n->parent()) {
        chain.push_back(n);
        if (n == treeRoot_.get()) break;
    }
    if (chain.back() != treeRoot_.get()) return {};
    Row* parent = &top_;
    int position = 0;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        parent = listOf(*parent, position);
        if (!parent) return {};
        position = positionIn(*parent, *it);
        if (position < 0) return {};
    }
    return createIndex(position, 0, parent);
}

std::vector<QModelIndex> OutlineItemModel::listedFolders() const {
    std::vector<const Row*> listed;
    for (const Row& row : rows_)
        if (row.listed && !row.children.empty()) listed.push_back(&row);
    std::stable_sort(listed.begin(), listed.end(), [](const Row* a, const Row* b) { return a->depth < b->depth; });
    std::vector<QModelIndex> out;
    out.reserve(listed.size());
    for (const Row* row : listed) out.push_back(createIndex(row->position, 0, row->parent));
    return out;
}

QModelIndex OutlineItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kOutlineColumnCount) return {};
    Row* rows = listOf(parent);
    if (!rows || row >= static_cast<int>(rows->children.size())) return {};
    return createIndex(row, column, rows);
}

QModelIndex OutlineItemModel::parent(const QModelIndex& child) const {
    Row* parent = parentListOf(child);
    if (!parent || parent == &top_) return {};
    return createIndex(parent->position, 0, parent->parent);
}

int OutlineItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    const Row* rows = listOf(parent);
    return rows ? static_cast<int>(rows->children.size()) : 0;
}

int OutlineItemModel::columnCount(const QModelIndex&) const { return kOutlineColumnCount; }

bool OutlineItemModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return rowCount(parent) > 0;
    const Row* rows = parentListOf(parent);
    if (!isTree_ || !rows || parent.column() != 0 || parent.row() < 0) return false;
    const auto row = static_cast<std::size_t>(parent.row());
    return row < rows->opens.size() && rows->opens[row];
}

QVariant OutlineItemModel::data(const QModelIndex& index, int role) const {
    const FileNode* shown = nodeAt(index);
    const std::optional<OutlineColumn> column = outlineColumnAt(index.column());
    if (!shown || !column) return {};
    const FileNode& node = *shown;
    switch (role) {
    case Qt::DisplayRole:
        switch (*column) {
        case OutlineColumn::name: return QString::fromStdString(displayName(node, *volumeNames_));
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
    if (!nodeAt(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (!isTree_) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void OutlineItemModel::sort(int column, Qt::SortOrder order) { emit sortRequested(column, order); }

} // namespace plenwick
