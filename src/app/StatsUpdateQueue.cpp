#include "app/StatsUpdateQueue.h"

namespace plenwick {

std::uint64_t StatsUpdateQueue::schedule(std::int64_t generation, TypeTotals added) {
    Update update;
    update.id = nextID_++;
    update.generation = generation;
    update.added = std::move(added);
    pending_.push_back(std::move(update));
    return pending_.back().id;
}

std::stop_token StatsUpdateQueue::stopToken(std::uint64_t id) const {
    for (const Update& u : pending_)
        if (u.id == id) return u.task.get_token();
    return {};
}

void StatsUpdateQueue::finish(std::uint64_t id, std::optional<TypeTotals> removed) {
    for (Update& u : pending_) {
        if (u.id != id) continue;
        u.finished = true;
        u.removed = std::move(removed);
        return;
    }
}

std::vector<StatsUpdateQueue::Update> StatsUpdateQueue::takeReady() {
    std::vector<Update> ready;
    while (!pending_.empty() && pending_.front().finished) {
        ready.push_back(std::move(pending_.front()));
        pending_.pop_front();
    }
    return ready;
}

void StatsUpdateQueue::cancelAll() {
    for (Update& u : pending_) u.task.request_stop();
    pending_.clear();
}

} // namespace plenwick
