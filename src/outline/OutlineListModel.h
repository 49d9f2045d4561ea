#pragma once
// The outline's two computed flat lists: the largest files of the focused folder, and
// the name matches over the whole scan. Each is computed by a walk on a background
// thread; a walk whose task was cancelled meanwhile is dropped, never applied. While
// a list is recomputed the previous one stays. GUI thread only.

#include "outline/OutlineContent.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace plenwick {

class Executor;

class OutlineListModel final : public QObject {
    Q_OBJECT

public:
    static constexpr int kLargestLimit = 1000;
    static constexpr int kSearchCap = 2000;
    // How long the query must stand before it is searched.
    static constexpr std::chrono::milliseconds kSearchPause{180};

    explicit OutlineListModel(Executor& executor, std::chrono::milliseconds searchPause = kSearchPause,
                              QObject* parent = nullptr);

    const std::optional<OutlineFlatList>& largest() const noexcept { return largest_; }
    bool isComputingLargest() const noexcept { return isComputingLargest_; }
    const std::optional<OutlineFlatList>& searchResults() const noexcept { return searchResults_; }
    std::int64_t searchTotal() const noexcept { return searchTotal_; }
    bool isSearching() const noexcept { return isSearching_; }
    // Counts applied lists; each carries the value after its own increment.
    std::int64_t generation() const noexcept { return generation_; }

    // Drops the largest-files list when it belongs to another folder than `scope`.
    void prepareLargest(const NodeRef& scope);
    // Walks for the largest files of `scope` and applies the list unless `stop` was
    // requested before it arrives.
    void computeLargest(NodeRef scope, std::stop_token stop);
    // An empty query (after trimming) clears the results at once; any other is
    // searched over `root` after the pause, unless `stop` comes first.
    void search(const std::string& rawQuery, NodeRef root, std::stop_token stop);

signals:
    // Some field changed.
    void changed();

private:
    void startSearchWalk(std::string query, NodeRef root, std::stop_token stop);
    // A computed list, numbered with the next generation.
    OutlineFlatList appliedList(OutlineFlatList::Source source, std::vector<NodeRef> nodes, NodeRef scope);
    void setFlag(bool& field, bool value);

    Executor& executor_;
    std::chrono::milliseconds searchPause_;
    std::optional<OutlineFlatList> largest_;
    bool isComputingLargest_ = false;
    std::optional<OutlineFlatList> searchResults_;
    std::int64_t searchTotal_ = 0;
    bool isSearching_ = false;
    std::int64_t generation_ = 0;
};

} // namespace plenwick
