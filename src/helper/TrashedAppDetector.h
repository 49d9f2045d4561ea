#pragma once
// Which applications arrived in a folder since it was last listed: the entries whose
// extension is "app" in any case, compared with the previous listing.

#include <set>
#include <string>
#include <vector>

namespace plenwick {

struct TrashedAppDetector {
    // The application names of the last listing.
    std::set<std::string> known;

    // The names that end in ".app", ignoring case ("app" alone and ".app" are no
    // applications: they have no extension).
    static std::set<std::string> appNames(const std::vector<std::string>& names);
    // The application names of `names` that the last listing lacked, in byte order;
    // `names` becomes the last listing (apps that left are forgotten).
    std::vector<std::string> update(const std::vector<std::string>& names);
};

} // namespace plenwick
