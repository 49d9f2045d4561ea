#include "services/LinuxApps.h"

#include "base/Descriptor.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/TrashInfo.h"
#include "services/AppImage.h"
#include "services/DesktopEntry.h"
#include "services/RegularFile.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

// An app folder's top level is small; one with more entries is no app folder.
constexpr std::size_t maxAppFolderEntries = 256;
// The entries at an app folder's top read for its own: real folders have one or two.
constexpr std::size_t maxAppFolderEntriesRead = 8;
// The entries of $XDG_DATA_HOME/applications looked at for the ones running an app,
// and the bytes of them read at most.
constexpr std::size_t maxHomeEntries = 4096;
constexpr std::size_t maxHomeEntryBytes = 16 * 1024 * 1024;
// The folders above a program looked at for the app holding it.
constexpr std::size_t maxContainingLevels = 16;

// Files read already, by device and inode: a hard link to one costs nothing more.
using ReadFiles = std::set<std::pair<dev_t, ino_t>>;

bool isBlank(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed().isEmpty();
}

bool hasDesktopExtension(std::string_view name) { return name.size() > 8 && name.ends_with(".desktop"); }

std::string withoutDesktopExtension(std::string name) {
    if (hasDesktopExtension(name)) name.resize(name.size() - 8);
    return name;
}

// Whether `path` lies strictly inside `folder` (both normalised).
bool liesInside(std::string_view path, std::string_view folder) {
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

bool liesAtOrInside(std::string_view path, std::string_view folder) {
    return path == folder || liesInside(path, folder);
}

// The names in an open folder, at most `max` of them; nothing when it holds more or
// can't be listed. `fd` stays open.
std::optional<std::vector<std::string>> namesIn(int fd, std::size_t max, const std::stop_token& stop) {
    const int listingFD = ::dup(fd);
    if (listingFD < 0) return std::nullopt;
    DIR* listing = ::fdopendir(listingFD);
    if (!listing) {
        ::close(listingFD);
        return std::nullopt;
    }
    ::rewinddir(listing);
    std::vector<std::string> names;
    bool tooMany = false;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (names.size() >= max || stop.stop_requested()) {
            tooMany = true;
            break;
        }
        names.emplace_back(name);
    }
    ::closedir(listing);
    if (tooMany) return std::nullopt;
    std::sort(names.begin(), names.end());
    return names;
}

// The entry named `name` in the open folder: a regular file of at most `maxSize`
// bytes, not reached through a link, and not among the files `read` already (which
// it joins). `bytesRead` grows by its size.
std::optional<DesktopEntry> readEntryAt(int folder, const std::string& name, std::size_t maxSize, ReadFiles& read,
                                        std::size_t& bytesRead) {
    Descriptor fd(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !read.insert({st.st_dev, st.st_ino}).second) return std::nullopt;
    const std::optional<std::string> bytes = readOpenRegularFile(fd.get(), maxSize);
    if (!bytes) return std::nullopt;
    bytesRead += bytes->size();
    return parseDesktopEntry(*bytes);
}

// A StartupWMClass that names one window class: one word of three characters or
// more, no generic word, nothing a list or a path would split.
bool namesOneThing(const std::string& value) {
    if (!isValidUtf8(value)) return false;
    for (const char c : value)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f || c == ';' || c == ',' || c == '/' || c == '*')
            return false;
    return !matchableNames({value}).empty();
}

// Where the item at `path` lives: its own path, and for an item in the home Trash the
// path it was trashed from too.
std::vector<std::string> locationsOf(const std::string& path) {
    std::vector<std::string> locations{normalizedPathOrSelf(path)};
    if (std::optional<std::string> original = originalPathOfTrashedItem(locations.front()))
        locations.push_back(normalizedPathOrSelf(*original));
    return locations;
}

// The Exec arguments from the program on: an "env" and its assignments and options
// dropped.
std::vector<std::string> programArguments(std::string_view exec) {
    std::vector<std::string> arguments = execArguments(exec);
    if (!arguments.empty() && lastPathComponent(arguments.front()) == "env") {
        auto program = arguments.begin() + 1;
        while (program != arguments.end() &&
               (program->find('=') != std::string::npos || program->starts_with('-'))) {
            // These two options take the next argument as their value.
            const bool takesValue = *program == "-u" || *program == "--unset" || *program == "-C" || *program == "--chdir";
            ++program;
            if (takesValue && program != arguments.end()) ++program;
        }
        arguments.erase(arguments.begin(), program);
    }
    return arguments;
}

std::string findOnPath(const std::string& name) {
    const char* value = std::getenv("PATH");
    const std::string_view list = value && *value ? value : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view folder = list.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder.front() != '/') continue;
        const std::string candidate = appendingPathComponent(folder, name);
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Whether the entry's program lies in the app folder open as `folder`: an absolute
// program inside one of the folder's locations, or a relative one naming a file in it.
bool runsFromFolder(const DesktopEntry& entry, int folder, const std::vector<std::string>& locations) {
    const std::vector<std::string> arguments = programArguments(entry.exec);
    if (arguments.empty() || arguments.front().empty()) return false;
    const std::string& program = arguments.front();
    if (program.front() == '/') {
        const std::string normalized = normalizedPathOrSelf(program);
        return std::any_of(locations.begin(), locations.end(),
                           [&](const std::string& location) { return liesInside(normalized, location); });
    }
    if (program.find('/') == std::string::npos) {
        // A bare name is the folder's own program only when the folder holds it.
        struct stat st {};
        return ::fstatat(folder, program.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
    }
    return false;
}

void addRelated(AppBundleInfo& app, const std::string& id) {
    if (id.empty() || id == app.bundleID) return;
    if (std::find(app.relatedBundleIDs.begin(), app.relatedBundleIDs.end(), id) == app.relatedBundleIDs.end())
        app.relatedBundleIDs.push_back(id);
}

std::optional<std::string> nonEmpty(const std::string& value) {
    if (value.empty()) return std::nullopt;
    return value;
}

// The app described by its identity entry; `url` is the app's path.
AppBundleInfo appFromEntry(const std::string& url, const std::string& id, const DesktopEntry& entry) {
    AppBundleInfo app;
    app.url = normalizedPathOrSelf(url);
    app.bundleID = id;
    app.name = isBlank(entry.name) ? repairUtf8(bundleBaseName(app.url)) : entry.name;
    const std::vector<std::string> arguments = programArguments(entry.exec);
    if (!arguments.empty() && !arguments.front().empty()) app.executableName = lastPathComponent(arguments.front());
    app.version = nonEmpty(entry.appImageVersion);
    if (namesOneThing(entry.startupWMClass)) addRelated(app, entry.startupWMClass);
    return app;
}

// The IDs of the entries in $XDG_DATA_HOME/applications (and its subfolders) whose
// program is the app at one of `locations` (an AppImage) or lies inside it (a folder).
void addHomeEntriesRunning(AppBundleInfo& app, const std::vector<std::string>& locations, bool folder,
                           const std::stop_token& stop) {
    const std::string applications = normalizedPathOrSelf(appendingPathComponent(xdgDataHome(), "applications"));
    std::size_t budget = maxHomeEntries, bytesRead = 0;
    ReadFiles read;
    std::vector<std::string> pending{applications};
    while (!pending.empty() && budget > 0 && bytesRead < maxHomeEntryBytes && !stop.stop_requested()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        Descriptor fd(::open(current.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd) continue;
        const std::optional<std::vector<std::string>> names = namesIn(fd.get(), budget, stop);
        if (!names) continue;
        budget -= names->size();
        for (const std::string& name : *names) {
            struct stat st {};
            if (::fstatat(fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                pending.push_back(appendingPathComponent(current, name));
                continue;
            }
            if (!S_ISREG(st.st_mode) || !hasDesktopExtension(name)) continue;
            if (stop.stop_requested() || bytesRead >= maxHomeEntryBytes) break;
            const std::optional<DesktopEntry> entry =
                readEntryAt(fd.get(), name, std::min(maxDesktopEntrySize, maxHomeEntryBytes - bytesRead), read, bytesRead);
            if (!entry) continue;
            const std::vector<std::string> arguments = programArguments(entry->exec);
            if (arguments.empty() || !arguments.front().starts_with('/')) continue;
            const std::string program = normalizedPathOrSelf(arguments.front());
            const bool runs = std::any_of(locations.begin(), locations.end(), [&](const std::string& location) {
                return folder ? liesInside(program, location) : program == location;
            });
            if (runs) addRelated(app, withoutDesktopExtension(desktopFileID(appendingPathComponent(current, name), applications)));
        }
    }
}

} // namespace

AppManager managerOfPath(std::string_view path) {
    const std::string normalized = normalizedPathOrSelf(path);
    const std::string userFlatpak = normalizedPathOrSelf(appendingPathComponent(xdgDataHome(), "flatpak"));
    if (liesAtOrInside(normalized, "/var/lib/flatpak") || liesAtOrInside(normalized, userFlatpak))
        return AppManager::flatpak;
    if (liesAtOrInside(normalized, "/snap") || liesAtOrInside(normalized, "/var/lib/snapd")) return AppManager::snap;
    if (liesAtOrInside(normalized, "/usr/local")) return AppManager::user;
    if (liesInside(normalized, "/usr") || liesInside(normalized, "/bin") || liesInside(normalized, "/sbin"))
        return AppManager::system;
    return AppManager::user;
}

std::string execProgram(std::string_view exec) {
    const std::vector<std::string> arguments = programArguments(exec);
    if (arguments.empty() || arguments.front().empty()) return {};
    const std::string& program = arguments.front();
    if (program.find('/') == std::string::npos) return findOnPath(program);
    return program;
}

std::vector<std::string> applicationsFolders() {
    std::vector<std::string> folders{appendingPathComponent(xdgDataHome(), "applications")};
    for (const std::string& data : xdgDataDirs()) folders.push_back(appendingPathComponent(data, "applications"));
    return folders;
}

std::string desktopEntryID(const std::string& path) {
    const std::string normalized = normalizedPathOrSelf(path);
    for (const std::string& folder : applicationsFolders()) {
        const std::string applications = normalizedPathOrSelf(folder);
        if (liesInside(normalized, applications))
            return withoutDesktopExtension(desktopFileID(normalized, applications));
    }
    return withoutDesktopExtension(lastPathComponent(normalized));
}

namespace {

struct FolderEntries {
    std::optional<std::pair<std::string, DesktopEntry>> identity; // its ID and entry
    std::vector<std::string> locations;
};

// The app folder's own entry: the first application entry (by name) whose program
// lies inside it; of the others only the names are seen. At most
// maxAppFolderEntriesRead entries are read, each once whatever its names, and only
// within maxAppEntrySize. Nothing when it is no folder, is or holds the home folder,
// has more entries than an app folder, or is stopped.
std::optional<FolderEntries> appFolderEntries(const std::string& path, const std::stop_token& stop) {
    // The home folder, or one holding it, is never an app however its top level looks.
    const std::string normalized = normalizedPathOrSelf(path);
    if (liesAtOrInside(normalizedPathOrSelf(homeDirectory()), normalized)) return std::nullopt;
    Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) return std::nullopt;
    const std::optional<std::vector<std::string>> names = namesIn(folder.get(), maxAppFolderEntries, stop);
    if (!names) return std::nullopt;
    FolderEntries entries;
    entries.locations = locationsOf(path);
    ReadFiles read;
    std::size_t bytesRead = 0;
    for (const std::string& name : *names) {
        if (stop.stop_requested()) return std::nullopt;
        if (!hasDesktopExtension(name)) continue;
        if (read.size() == maxAppFolderEntriesRead) break;
        std::optional<DesktopEntry> entry = readEntryAt(folder.get(), name, maxAppEntrySize, read, bytesRead);
        if (!entry || entry->type != "Application" || !runsFromFolder(*entry, folder.get(), entries.locations))
            continue;
        entries.identity.emplace(withoutDesktopExtension(name), std::move(*entry));
        return entries;
    }
    return std::nullopt;
}

} // namespace

bool isAppFolder(const std::string& path, std::stop_token stop) { return appFolderEntries(path, stop).has_value(); }

std::optional<AppBundleInfo> readAppImageApp(const std::string& path, std::stop_token stop) {
    const std::optional<AppImageContents> contents = readAppImage(path, stop);
    if (!contents || stop.stop_requested()) return std::nullopt;
    AppBundleInfo app = appFromEntry(path, withoutDesktopExtension(contents->fileName), contents->entry);
    app.managedBy = managerOfPath(app.url);
    addHomeEntriesRunning(app, locationsOf(app.url), false, stop);
    if (stop.stop_requested()) return std::nullopt;
    return app;
}

std::optional<AppBundleInfo> readAppFolderApp(const std::string& path, std::stop_token stop) {
    const std::optional<FolderEntries> entries = appFolderEntries(path, stop);
    if (!entries) return std::nullopt;
    AppBundleInfo app = appFromEntry(path, entries->identity->first, entries->identity->second);
    app.managedBy = managerOfPath(app.url);
    addHomeEntriesRunning(app, entries->locations, true, stop);
    if (stop.stop_requested()) return std::nullopt;
    return app;
}

std::optional<std::string> appEntryIcon(const std::string& path, std::stop_token stop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    std::optional<DesktopEntry> entry;
    if (S_ISDIR(st.st_mode)) {
        if (std::optional<FolderEntries> entries = appFolderEntries(path, stop)) entry = entries->identity->second;
    } else if (S_ISREG(st.st_mode) && hasDesktopExtension(lastPathComponent(path))) {
        entry = readDesktopEntryFile(path);
    } else if (S_ISREG(st.st_mode)) {
        if (std::optional<AppImageContents> contents = readAppImage(path, stop)) entry = std::move(contents->entry);
    }
    if (!entry || entry->icon.empty()) return std::nullopt;
    return entry->icon;
}

std::optional<AppBundleInfo> readDesktopEntryApp(const std::string& path, std::stop_token stop) {
    // Where the entry is installed: where it lies or, in the Trash, where it was
    // trashed from (the Trash renames an item whose name is taken there, and its
    // folder no longer says the ID's prefix).
    const std::string normalized = normalizedPathOrSelf(path);
    const std::optional<std::string> original = originalPathOfTrashedItem(normalized);
    const std::string installed =
        original && hasDesktopExtension(lastPathComponent(*original)) ? normalizedPathOrSelf(*original) : normalized;
    // Only the user's own menu folder holds entries that are apps of the user's: an
    // entry downloaded anywhere else names nothing. The system's and other managers'
    // folders are read only to say who removes their apps.
    const bool usersEntry =
        liesInside(installed, normalizedPathOrSelf(appendingPathComponent(xdgDataHome(), "applications")));
    const std::vector<std::string> folders = applicationsFolders();
    if (!usersEntry && std::none_of(folders.begin(), folders.end(), [&](const std::string& folder) {
            return liesInside(installed, normalizedPathOrSelf(folder));
        }))
        return std::nullopt;
    const std::optional<DesktopEntry> entry = readDesktopEntryFile(path);
    if (!entry || entry->type != "Application") return std::nullopt;
    const std::string id = desktopEntryID(installed);
    if (id.empty()) return std::nullopt;
    const std::string program = execProgram(entry->exec);
    const std::string normalizedProgram = program.empty() ? std::string() : normalizedPathOrSelf(program);

    // The user's entry that runs an AppImage or an app folder under the home folder
    // stands for that app: uninstalling it moves the app, and the entry goes with it
    // as the app's.
    const std::string home = normalizedPathOrSelf(homeDirectory());
    if (usersEntry && !normalizedProgram.empty() && home != "/" && liesInside(normalizedProgram, home)) {
        if (const std::optional<std::string> container = appContaining(normalizedProgram)) {
            if (std::optional<AppBundleInfo> app = AppBundleInfo::read(*container, stop)) {
                addRelated(*app, id);
                if (namesOneThing(entry->startupWMClass)) addRelated(*app, entry->startupWMClass);
                return app;
            }
        }
    }
    if (stop.stop_requested()) return std::nullopt;

    AppBundleInfo app = appFromEntry(path, id, *entry);
    if (!entry->flatpakID.empty()) {
        app.managedBy = AppManager::flatpak;
    } else {
        app.managedBy = managerOfPath(app.url);
        const std::string programName = lastPathComponent(normalizedProgram);
        if (app.managedBy == AppManager::user && (programName == "flatpak" || programName == "snap"))
            app.managedBy = programName == "flatpak" ? AppManager::flatpak : AppManager::snap;
        if (app.managedBy == AppManager::user && !normalizedProgram.empty())
            app.managedBy = managerOfPath(normalizedProgram);
    }
    if (!usersEntry && app.managedBy == AppManager::user) return std::nullopt;
    return app;
}

std::optional<std::string> appContaining(const std::string& programPath) {
    if (programPath.empty() || programPath.front() != '/') return std::nullopt;
    const std::string program = normalizedPathOrSelf(programPath);
    if (isAppImageFile(program)) return program;
    const std::string home = normalizedPathOrSelf(homeDirectory());
    std::size_t levels = 0;
    for (std::string folder = parentPath(program); folder != "/" && parentPath(folder) != "/";
         folder = parentPath(folder)) {
        if (folder == home || levels++ == maxContainingLevels) break;
        if (isAppBundlePath(folder) && readInfoPlist(folder)) return folder;
        if (appFolderEntries(folder, {})) return folder;
    }
    return std::nullopt;
}

bool mayBeApp(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISREG(st.st_mode)) return hasDesktopExtension(lastPathComponent(path)) || isAppImageFile(path);
    if (!S_ISDIR(st.st_mode)) return false;
    const std::string name = asciiLower(lastPathComponent(path));
    if (name.size() > 4 && name.ends_with(".app")) return true; // bundle-style, in any case
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return false;
    const std::optional<std::vector<std::string>> names = namesIn(fd.get(), maxAppFolderEntries, {});
    return names && std::any_of(names->begin(), names->end(), [](const std::string& name) { return hasDesktopExtension(name); });
}

} // namespace plenwick
