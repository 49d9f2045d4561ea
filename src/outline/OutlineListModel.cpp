#include "outline/OutlineListModel.h"

#include "outline/OutlineWalks.h"
#include "outline/UnicodeTextFolding.h"
#include "runtime/BackgroundTask.h"

#include <QTimer>

namespace plenwick {

OutlineListModel::OutlineListModel(Executor& executor, std::chrono::milliseconds searchPause, QObject* parent)
    : QObject(parent), executor_(executor), searchPause_(searchPause) {}

void OutlineListModel::setFlag(bool& field, bool value) {
    if (field == value) return;
    field = value;
    emit changed();
}

OutlineFlatList OutlineListModel::appliedList(OutlineFlatList::Source source, std::vector<NodeRef> nodes, NodeRef scope) {
    OutlineFlatList list;
    list.generation = ++generation_;
    list.source = std::move(source);
    list.nodes = std::move(nodes);
    list.scope = std::move(scope);
    list.updateMaxSize();
    return list;
}

void OutlineListModel::prepareLargest(const NodeRef& scope) {
    if (largest_ && largest_->scope != scope) {
        largest_.reset();
        emit changed();
    }
}

void OutlineListModel::computeLargest(NodeRef scope, std::stop_token stop) {
    setFlag(isComputingLargest_, true);
    runInBackground(
        executor_, this, [scope, stop] { return largestFiles(scope, kLargestLimit, stop); },
        [this, scope, stop](OutlineWalkResult result) {
            if (stop.stop_requested()) return;
            largest_ = appliedList(OutlineFlatList::Source::largest(scope), std::move(result.nodes), scope);
            isComputingLargest_ = false;
            emit changed();
        },
        // A walk that fails (out of memory) ends the wait with no list rather than a spinner forever.
        [this, stop](std::exception_ptr) {
            if (stop.stop_requested()) return;
            isComputingLargest_ = false;
            emit changed();
        });
}

void OutlineListModel::search(const std::string& rawQuery, NodeRef root, std::stop_token stop) {
    std::string query(trimmedQuery(rawQuery));
    if (query.empty()) {
        const bool had = searchResults_ || searchTotal_ != 0 || isSearching_;
        searchResults_.reset();
        searchTotal_ = 0;
        isSearching_ = false;
        if (had) emit changed();
        return;
    }
    setFlag(isSearching_, true);
    QTimer::singleShot(searchPause_, this, [this, query = std::move(query), root = std::move(root), stop]() mutable {
        if (stop.stop_requested()) return;
        startSearchWalk(std::move(query), std::move(root), stop);
    });
}

void OutlineListModel::startSearchWalk(std::string query, NodeRef root, std::stop_token stop) {
    static const UnicodeTextFolding folding;
    runInBackground(
        executor_, this, [query, root, stop] { return searchNodesByName(query, root, kSearchCap, &folding, stop); },
        [this, query, root, stop](OutlineSearchResult result) {
            if (stop.stop_requested()) return;
            searchResults_ = appliedList(OutlineFlatList::Source::search(query), std::move(result.nodes), root);
            searchTotal_ = result.totalMatches;
            isSearching_ = false;
            emit changed();
        },
        [this, stop](std::exception_ptr) {
            if (stop.stop_requested()) return;
            isSearching_ = false;
            emit changed();
        });
}

} // namespace plenwick
