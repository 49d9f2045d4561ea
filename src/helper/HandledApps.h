#pragma once
// The applications that were dealt with elsewhere a moment ago: bundle identifiers and
// paths that either program reported after moving apps to the Trash itself. An entry
// counts for two minutes; the Trash watcher's report of such an app is not an offer.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace plenwick {

class HandledApps {
public:
    using Time = std::chrono::milliseconds; // on a monotonic clock
    static constexpr std::chrono::seconds lifetime{120};

    // Stores `now` under every key.
    void mark(const std::vector<std::string>& keys, Time now);
    // Drops the entries no later than `now` - lifetime, then: whether `bundleID` is
    // an entry, or any entry, taken as a path, ends in the component `trashedName`.
    bool wasRecentlyHandled(const std::string& bundleID, const std::string& trashedName, Time now);

    std::size_t size() const noexcept { return entries_.size(); }

private:
    std::map<std::string, Time> entries_;
};

} // namespace plenwick
