#pragma once
// Reading the Linux kinds of app (see AppBundleInfo.h): AppImages, app folders and
// desktop entries. Each reads what it is given without following a final link and
// gives nothing for what is no such app.

#include "services/AppBundleInfo.h"

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

std::optional<AppBundleInfo> readAppImageApp(const std::string& path, std::stop_token stop = {});
std::optional<AppBundleInfo> readAppFolderApp(const std::string& path, std::stop_token stop = {});
std::optional<AppBundleInfo> readDesktopEntryApp(const std::string& path, std::stop_token stop = {});

// Whether the folder is an app folder: its top level holds an application entry whose
// program lies inside it. Reads only that top level (a bounded listing and its small
// entries), so a chooser may ask it as the user browses.
bool isAppFolder(const std::string& path, std::stop_token stop = {});

// The Icon of the entry that is the app's identity (an AppImage's, an app folder's,
// a desktop entry's own): a theme icon's name or an absolute path; nothing for other
// kinds or without one.
std::optional<std::string> appEntryIcon(const std::string& path, std::stop_token stop = {});

// Who manages what lies at the path: Flatpak's and Snap's folders, else the package
// manager's (/usr but /usr/local, /bin, /sbin), else the user.
AppManager managerOfPath(std::string_view path);

// The program an Exec line runs: its first argument past an "env" and its variable
// assignments; a bare name is looked up on $PATH (empty when not found there).
std::string execProgram(std::string_view exec);

// The folders whose desktop entries are installed apps: $XDG_DATA_HOME/applications,
// then each $XDG_DATA_DIRS folder's "applications".
std::vector<std::string> applicationsFolders();

// The desktop file ID of the entry at `path`, by the first applications folder it lies
// in (its file name when none), without ".desktop".
std::string desktopEntryID(const std::string& path);

} // namespace plenwick
