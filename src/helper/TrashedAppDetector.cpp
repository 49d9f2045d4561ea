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
    std::set<std::string> current = appNames(names);
    std::vector<std::string> arrived;
    for (const std::string& name : current)
        if (!known.count(name)) arrived.push_back(name); // a set iterates in byte order
    known = std::move(current);
    return arrived;
}

} // namespace plenwick
