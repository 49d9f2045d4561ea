#pragma once
// Launch-job property lists and app bundles written into temporary folders.

#include "common/TestSupport.h"

#include <filesystem>
#include <string>

namespace plenwick::test {

inline std::string plistXml(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>" + entries +
           "</dict>\n</plist>\n";
}

inline std::string plistKey(const std::string& key, const std::string& value) {
    return "<key>" + key + "</key><string>" + value + "</string>";
}

// Writes a property list, creating its folder.
inline void writePlist(const std::string& path, const std::string& entries) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, plistXml(entries));
}

// An app bundle with an Info.plist of the given entries (none: no Info.plist).
inline void makeApp(const std::string& app, const std::string& infoEntries = {}) {
    std::filesystem::create_directories(app + "/Contents/MacOS");
    if (!infoEntries.empty()) writePlist(app + "/Contents/Info.plist", infoEntries);
}

} // namespace plenwick::test
