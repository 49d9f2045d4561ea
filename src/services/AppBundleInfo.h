#pragma once
// What an application bundle says about itself: identifier, names, nested bundles.

#include "services/PropertyList.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

struct AppBundleInfo {
    std::string url;                       // the bundle's path, standardised
    std::string name;                      // the name shown to the user
    std::string bundleID;                  // never empty
    std::optional<std::string> executableName;
    std::optional<std::string> version;
    std::vector<std::string> relatedBundleIDs;

    // Reads the bundle at `bundleURL`; nothing when unreadable or without an identifier.
    static std::optional<AppBundleInfo> read(const std::string& bundleURL);

    // Every name leftovers may bear: the match names of the executable's name, the
    // name and the bundle's file name without its extension (see matchableNames).
    std::set<std::string> nameCandidates() const;

    // What reading the nested bundles of one app may cost at most: the entries of the
    // seven places looked at, and the bytes of their Info.plist files read (each file,
    // by device and inode, once). Real apps stay far below; a bundle built to cost
    // more is read only so far.
    static constexpr std::size_t maxNestedEntries = 512;
    static constexpr std::size_t maxNestedInfoBytes = 4 * 1024 * 1024;

    // Identifiers of the bundles nested in the app, without its own and shared
    // frameworks'. Nothing below the bundle is reached through a link.
    static std::vector<std::string> relatedBundleIDsOf(const std::string& bundleURL, const std::string& ownID);

    bool operator==(const AppBundleInfo&) const = default;
};

struct AppBundleInfoHash {
    std::size_t operator()(const AppBundleInfo& info) const noexcept;
};

// Whether the identifier is one of the system's own bundles: such an app is never
// uninstalled and no leftovers are looked for.
bool isSystemBundleID(std::string_view bundleID) noexcept;

// The names usable as match names: at least 3 characters and not a generic word.
std::set<std::string> matchableNames(const std::vector<std::string>& names);

// The bundle's "Contents/Info.plist" as a dictionary, or nothing.
std::optional<PlistDictionary> readInfoPlist(const std::string& bundleURL);

// The bundle's file name without its extension.
std::string bundleBaseName(const std::string& bundleURL);

// Whether the path names an application bundle: it ends in ".app".
bool isAppBundlePath(std::string_view path) noexcept;

} // namespace plenwick
