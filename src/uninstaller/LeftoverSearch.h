#pragma once
// Finds what an app left in the user's XDG folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME,
// $XDG_CACHE_HOME, $XDG_STATE_HOME), Flatpak's ~/.var/app, the home folder's own
// dot-entries, its desktop entries and icons, and what starts at login or at startup
// (autostart entries and service units, the user's and the system's): entries named
// after its identifiers or its names, and entries that run a program of the app.
// Reads the file system only; never reaches outside the folders it lists.
//
// An app is a download: what it is named chooses nothing for certain but what a
// reverse-DNS identifier of its own names, the entries named exactly by its desktop
// file ID in the menu and icon folders, and what starts a program inside it. A
// one-word identifier or a name is a possible match only. The places every desktop
// shares are never leftovers, nor is what another installed app's entry names by its
// ID; the system's startup files are found only by the program they start, and a
// unit that is a link never.

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

// How an entry's file name (or a job's label), with or without a team or "group"
// prefix, matches the identifiers, ignoring case: certain when it is a reverse-DNS
// one (two dots or more) or begins with one followed by "."; possible when it is
// another identifier, or that and one extension, provided that identifier is a match
// name (see matchableNames). An identifier with an empty part matches nothing.
std::optional<Remnant::Confidence> identifierMatch(std::string_view name, const std::vector<std::string>& identifiers);
// Whether it matches at all.
bool entryMatchesBundleIDs(std::string_view name, const std::vector<std::string>& identifiers);

// The name after its first ".", when what precedes it is a ten-character team
// identifier (upper-case letters and digits) or exactly "group".
std::optional<std::string> stripGroupPrefix(std::string_view name);

// Whether a launch job belongs to the app: by an associated identifier, by its label
// (both only for reverse-DNS identifiers), or by a program of the app.
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
