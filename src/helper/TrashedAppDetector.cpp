#include "helper/TrashedAppDetector.h"

#include "base/Utf8.h"
#include "platform/TrashName.h"

namespace plenwick {

std::set<std::string> TrashedAppDetector::appNames(const std::vector<std::string>& names) {
    std::set<std::string> apps;
    for (const std::string& name : names)
        if (asciiLower(nameExtension(name)) == "app") apps.insert(name);
    return apps;
}

std::vector<std::string> TrashedAppDetector::update(const std::vector<std::string>& names) {
    std::set<std::string> current(names.begin(), names.end());
    std::vector<std::string> arrived;
    for (const std::string& name : current) { // a set iterates in byte order
        if (known.count(name)) continue;
        if (mayBeApp ? mayBeApp(name) : !appNames({name}).empty()) arrived.push_back(name);
    }
    known = std::move(current);
    return arrived;
}

} // namespace plenwick
