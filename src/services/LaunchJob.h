#pragma once
// A launch job's property list (a launch agent's or daemon's ".plist", or one carried
// inside an app bundle), reduced to what the leftover search and the startup items
// need. Keys of the wrong type fall back to their defaults; they never fail a parse.

#include "services/PropertyList.h"

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

struct LaunchJob {
    std::optional<std::string> label;             // "Label"
    std::optional<std::string> programPath;       // "Program", else the first of "ProgramArguments"
    std::vector<std::string> associatedBundleIDs; // "AssociatedBundleIdentifiers"
    bool runAtLoad = false;                       // "RunAtLoad"
    bool keepAlive = false;                       // "KeepAlive" true, or a dictionary of conditions
    bool disabledInPlist = false;                 // "Disabled"

    friend bool operator==(const LaunchJob&, const LaunchJob&) = default;

    // From the bytes of a property list (XML or binary); nothing unless its top level
    // is a dictionary.
    static std::optional<LaunchJob> parse(const std::string& bytes);
    static std::optional<LaunchJob> fromPropertyList(const PlistValue& value);
    // Reads the file as a regular file only, non-blocking and within the size cap.
    static std::optional<LaunchJob> readFile(const std::string& path);
};

} // namespace plenwick
