#pragma once
// Which apps arrived in a folder since it was last listed: the entries the previous
// listing lacked that may be apps (an AppImage, an app folder, a desktop entry, a
// bundle-style folder). Each name is judged once, when it arrives.

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace plenwick {

struct TrashedAppDetector {
    // The names of the last listing.
    std::set<std::string> known;
    // Whether the entry of this name may be an app; unset: whether its extension is
    // "app" in any case.
    std::function<bool(const std::string& name)> mayBeApp;

    // The names that end in ".app", ignoring case ("app" alone and ".app" are no
    // applications: they have no extension).
    static std::set<std::string> appNames(const std::vector<std::string>& names);
    // The names of `names` that the last listing lacked and may be apps, in byte
    // order; `names` becomes the last listing (what left is forgotten).
    std::vector<std::string> update(const std::vector<std::string>& names);
};

} // namespace plenwick
