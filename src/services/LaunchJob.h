#pragma once
// A launch agent's or daemon's property list (XML or binary), reduced to what the
// leftover search and the startup items need.

#include "services/PropertyList.h"

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

struct LaunchJob {
    std::optional<std::string> label;
    std::optional<std::string> programPath;       // "Program", else the first "ProgramArguments"
    std::vector<std::string> associatedBundleIDs; // "AssociatedBundleIdentifiers"
    bool runAtLoad = false;
    bool keepAlive = false;                       // true, or a dictionary of conditions
    bool disabledInPlist = false;

    bool operator==(const LaunchJob&) const = default;

    // Nothing when the bytes are not a property list whose top level is a dictionary.
    static std::optional<LaunchJob> fromBytes(const std::string& bytes);
    static std::optional<LaunchJob> fromPropertyList(const PlistValue& value);
    // Reads the file as a regular file only, non-blocking, size-capped; nothing when
    // it can't be read or parsed.
    static std::optional<LaunchJob> fromFile(const std::string& path);
};

// Whether a property-list value reads as a Boolean, and which: a Boolean, or a number
// that is exactly 0 or 1 (as the platform's number bridging reads it).
std::optional<bool> plistBoolean(const PlistValue& value);

} // namespace plenwick
