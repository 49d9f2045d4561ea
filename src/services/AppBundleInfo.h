#pragma once
// What an app says about itself: identifier, names, related identifiers. An app is
// what a user installs and removes by moving it to the Trash:
// - an AppImage: a regular file whose desktop entry lies in its squashfs image;
// - an app folder: a folder whose top level holds a Type=Application desktop entry
//   whose program lies inside it (/opt/Foo, ~/Applications/Foo);
// - a desktop entry ("*.desktop", Type=Application) in $XDG_DATA_HOME/applications, or
//   trashed from there; one whose program is an AppImage or lies in an app folder
//   under the home folder stands for that app instead;
// - a bundle-style folder: "Foo.app/Contents/Info.plist".
// For the Linux kinds `bundleID` is the desktop file ID without ".desktop", `name`
// its Name, `executableName` the base name of its Exec program, `version` its
// X-AppImage-Version, and `relatedBundleIDs` the IDs of the entries in
// $XDG_DATA_HOME/applications that run the app and a StartupWMClass that names one
// thing and differs from the ID. An app is a download: of an image or a folder only
// its own entry is read, and no other name inside it is an identifier.

#include "services/PropertyList.h"

#include <cstddef>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// Who removes an app when it isn't the user moving it to the Trash: the system's
// package manager (its entry or program under /usr), Flatpak or Snap.
enum class AppManager { user, system, flatpak, snap };

struct AppBundleInfo {
    std::string url;                       // the app's path, standardised
    std::string name;                      // the name shown to the user
    std::string bundleID;                  // never empty
    std::optional<std::string> executableName;
    std::optional<std::string> version;
    std::vector<std::string> relatedBundleIDs;
    AppManager managedBy = AppManager::user;

    // Reads the app at `path`, of any kind above; a link is never followed. Nothing
    // when it is no app or can't be read, or when `stop` is requested.
    static std::optional<AppBundleInfo> read(const std::string& path, std::stop_token stop = {});

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
    static std::vector<std::string> relatedBundleIDsOf(const std::string& bundleURL, const std::string& ownID,
                                                       std::stop_token stop = {});

    bool operator==(const AppBundleInfo&) const = default;
};

struct AppBundleInfoHash {
    std::size_t operator()(const AppBundleInfo& info) const noexcept;
};

// Whether the identifier is one of the system's own bundles.
bool isSystemBundleID(std::string_view bundleID) noexcept;
// Whether the app comes with the system or is another manager's: such an app is
// never uninstalled here and no leftovers are looked for.
bool isSystemApp(const AppBundleInfo& app) noexcept;

// The app a program path lies in: an AppImage that is the program, or the app folder
// or bundle-style folder above it; none otherwise. Reads the folders on the way up.
std::optional<std::string> appContaining(const std::string& programPath);

// Whether the path may be an app worth reading: a desktop entry's name, an AppImage
// header, a bundle-style name, or a folder with a desktop entry at its top. Never
// follows a link; reads at most a few KB and decompresses nothing.
bool mayBeApp(const std::string& path);

// The names usable as match names: at least 3 characters and not a generic word.
std::set<std::string> matchableNames(const std::vector<std::string>& names);

// The bundle's "Contents/Info.plist" as a dictionary, or nothing.
std::optional<PlistDictionary> readInfoPlist(const std::string& bundleURL);

// The bundle's file name without its extension.
std::string bundleBaseName(const std::string& bundleURL);

// Whether the path names a bundle-style app: it ends in ".app".
bool isAppBundlePath(std::string_view path) noexcept;

} // namespace plenwick
