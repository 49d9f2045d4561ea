#include "helper/HandledApps.h"

#include "base/PathNames.h"

namespace plenwick {

void HandledApps::mark(const std::vector<std::string>& keys, Time now) {
    for (const std::string& key : keys) entries_[key] = now;
}

bool HandledApps::wasRecentlyHandled(const std::string& bundleID, const std::string& trashedName, Time now) {
    const Time cutoff = now - std::chrono::duration_cast<Time>(lifetime);
    std::erase_if(entries_, [cutoff](const auto& entry) { return entry.second <= cutoff; });
    if (entries_.count(bundleID)) return true;
    for (const auto& [key, when] : entries_)
        if (lastPathComponent(key) == trashedName) return true;
    return false;
}

} // namespace plenwick
