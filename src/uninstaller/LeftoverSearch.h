#pragma once
// Finds what an application left in the user's and the system's Library folders:
// entries named after its bundle identifiers or its names, the launch jobs that
// belong to it with the privileged helper tools they run, and its crash reports.
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
// was installed; launch jobs that run a program from there are possible leftovers.
std::vector<Remnant> findRemnants(const AppBundleInfo& app, const RemnantSearchRoots& roots,
                                  std::stop_token stop = {},
                                  const std::optional<std::string>& formerLocation = std::nullopt);

// The app's bundle identifier followed by those of the bundles nested in it.
std::vector<std::string> searchIdentifiers(const AppBundleInfo& app);

// Whether a Library entry's name (or a job's label), with or without a team or
// "group" prefix, is one of the identifiers or begins with one followed by ".",
// ignoring case. An identifier of fewer than two dot-separated parts matches nothing.
bool entryMatchesBundleIDs(std::string_view name, const std::vector<std::string>& identifiers);

// The name after its first ".", when what precedes it is a ten-character team
// identifier (upper-case letters and digits) or exactly "group".
std::optional<std::string> stripGroupPrefix(std::string_view name);

// Whether a launch job belongs to the app: by an associated identifier, by its label
// (both only for identifiers of two parts or more), or by a program inside the app's
// bundle.
bool launchJobBelongsToApp(const AppBundleInfo& app, const LaunchJob& job);
// Whether the job's program lies strictly inside `bundle` (by its path's text).
bool launchJobRunsFrom(const LaunchJob& job, const std::string& bundle);

// An absolute path with empty and "." components dropped; nothing when it is
// relative or has a ".." component (which the kernel resolves through links, so the
// text alone can't tell where it leads).
std::optional<std::string> standardizedPathWithoutParentSteps(std::string_view path);

// The privileged helper tool a job runs, when its program lies strictly inside
// `helperFolder` (also after resolving links in the folders on the way) and exists.
std::optional<std::string> helperToolOfJob(const LaunchJob& job, const std::string& helperFolder);

// The list without every remnant that lies inside another remnant of the list.
std::vector<Remnant> dropNestedRemnants(std::vector<Remnant> remnants);

} // namespace plenwick
