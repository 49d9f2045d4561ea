#pragma once
// Finds what an app left in the user's XDG folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME,
// $XDG_CACHE_HOME, $XDG_STATE_HOME), Flatpak's ~/.var/app, the home folder's own
// dot-entries, its desktop entries and icons, and what starts at login or at startup
// (autostart entries and service units, the user's and the system's): entries named
// after its identifiers or its names, and entries that run a program of the app.
// Reads the file system only; never reaches outside the folders it lists.

#include "services/LaunchJob.h"
#include "uninstaller/Remnant.h"

#include "services/AppBundleInfo.h"

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// The leftovers in display order. Blocks on the file system; gives up and returns
// nothing when `stop` is requested. `formerLocation`: where an app now in the Trash
// was installed; entries that start a program from there are possible leftovers.
std::vector<Remnant> findRemnants(const AppBundleInfo& app, const RemnantSearchRoots& roots,
                                  std::stop_token stop = {},
                                  const std::optional<std::string>& formerLocation = std::nullopt);

// The app's bundle identifier followed by those of the bundles nested in it.
std::vector<std::string> searchIdentifiers(const AppBundleInfo& app);

// Whether an entry's file name (or a job's label), with or without a team or
// "group" prefix, is one of the identifiers or begins with one followed by ".",
// ignoring case. An identifier of one word counts only when it is a match name (see
// matchableNames), and then only for the word itself or the word and one extension;
// one that is neither a word nor of two dot-separated parts matches nothing.
bool entryMatchesBundleIDs(std::string_view name, const std::vector<std::string>& identifiers);

// The name after its first ".", when what precedes it is a ten-character team
// identifier (upper-case letters and digits) or exactly "group".
std::optional<std::string> stripGroupPrefix(std::string_view name);

// Whether a launch job belongs to the app: by an associated identifier, by its label
// (both only for identifiers of two parts or more), or by a program of the app.
bool launchJobBelongsToApp(const AppBundleInfo& app, const LaunchJob& job);
// Whether the job's program is the app at `app` (an AppImage) or lies strictly inside
// it (by its path's text).
bool launchJobRunsFrom(const LaunchJob& job, const std::string& app);

// An absolute path with empty and "." components dropped; nothing when it is
// relative or has a ".." component (which the kernel resolves through links, so the
// text alone can't tell where it leads).
std::optional<std::string> standardizedPathWithoutParentSteps(std::string_view path);

// The list without every remnant that lies inside another remnant of the list.
std::vector<Remnant> dropNestedRemnants(std::vector<Remnant> remnants);

} // namespace plenwick
