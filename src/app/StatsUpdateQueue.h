#pragma once
// The chain of pending statistics updates. Each update's collection runs in the
// background, side by side with the others, but updates are applied strictly in the
// order they were scheduled: a finished update waits until every earlier one has
// finished.

#include "app/TypeStatsDelta.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <stop_token>
#include <vector>

namespace plenwick {

class StatsUpdateQueue {
public:
    struct Update {
        std::uint64_t id = 0;
        std::int64_t generation = 0;              // resultsGeneration when scheduled
        std::stop_source task;
        TypeTotals added;
        bool finished = false;
        std::optional<TypeTotals> removed;        // none: the collection was cancelled
    };

    // Appends an update and returns its id; the update's cancellation is `stopToken(id)`.
    std::uint64_t schedule(std::int64_t generation, TypeTotals added);
    std::stop_token stopToken(std::uint64_t id) const;
    // Records the outcome of an update's collection; unknown ids (forgotten updates) are ignored.
    void finish(std::uint64_t id, std::optional<TypeTotals> removed);
    // Removes and returns the updates that are ready to apply, in scheduling order.
    std::vector<Update> takeReady();
    // Cancels every pending update and forgets them; their outcomes are then ignored.
    void cancelAll();
    bool hasPending() const noexcept { return !pending_.empty(); }

private:
    std::deque<Update> pending_;
    std::uint64_t nextID_ = 1;
};

} // namespace plenwick
