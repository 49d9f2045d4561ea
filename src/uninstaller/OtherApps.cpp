#include "uninstaller/OtherApps.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/DesktopEntry.h"
#include "services/FolderEntries.h"
#include "services/LinuxApps.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace plenwick {
namespace {

// The entries looked at in all the folders, however many they hold.
constexpr std::size_t maxEntries = 8192;

constexpr std::string_view desktopSuffix = ".desktop";

bool isEntryName(std::string_view name) { return name.size() > desktopSuffix.size() && name.ends_with(desktopSuffix); }

std::optional<std::string> realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return std::nullopt;
    return std::string(resolved);
}

bool isAtOrInside(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

std::size_t partCount(std::string_view id) {
    std::size_t parts = 1;
    for (const char c : id) parts += c == '.';
    return parts;
}

} // namespace

OtherApps::OtherApps(const AppBundleInfo& app, const std::vector<std::string>& entryFolders,
                     const std::optional<std::string>& formerLocation)
    : appPath_(normalizedPathOrSelf(app.url)) {
    const auto own = [this](const std::string& path) {
        // The root holds every program: it is no app's.
        if (auto real = realPath(path); real && *real != "/") ownPrograms_.push_back(std::move(*real));
    };
    own(app.url);
    if (formerLocation) own(*formerLocation);
    // A desktop entry that is an app of its own: the entries running its program are its.
    if (isEntryName(lastPathComponent(appPath_)))
        if (const auto entry = readDesktopEntryFile(appPath_))
            if (const std::string program = execProgram(entry->exec); !program.empty()) own(program);

    std::size_t left = maxEntries;
    const auto add = [&](const std::string& folder, const std::string& prefix) {
        for (const std::string& name : folderEntryNames(folder)) {
            if (left == 0) return;
            --left;
            if (!isEntryName(name)) continue;
            const std::string id = asciiLower(prefix + name.substr(0, name.size() - desktopSuffix.size()));
            entries_.try_emplace(id, appendingPathComponent(folder, name));
        }
    };
    for (const std::string& folder : entryFolders) {
        add(folder, {});
        for (const std::string& name : folderEntryNames(folder)) {
            if (left == 0) break;
            const std::string sub = appendingPathComponent(folder, name);
            struct stat st {};
            if (::lstat(sub.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) add(sub, name + "-");
        }
    }
}

bool OtherApps::isOtherApp(const std::string& entryPath) {
    const auto known = judged_.find(entryPath);
    if (known != judged_.end()) return known->second;
    bool other = false;
    if (normalizedPathOrSelf(entryPath) != appPath_) {
        const std::optional<DesktopEntry> entry = readDesktopEntryFile(entryPath);
        if (entry && entry->type == "Application" && !entry->hidden) {
            // Installed: its program is there. Another app's unless that program is this one's.
            const std::string program = execProgram(entry->exec);
            const std::optional<std::string> real = program.empty() ? std::nullopt : realPath(program);
            other = real && std::none_of(ownPrograms_.begin(), ownPrograms_.end(),
                                         [&](const std::string& own) { return isAtOrInside(*real, own); });
        }
    }
    judged_.emplace(entryPath, other);
    return other;
}

bool OtherApps::claim(std::string_view name) {
    if (entries_.empty()) return false;
    const std::string lowered = asciiLower(name);
    // The IDs that could name the place: the whole name, and each of its beginnings
    // that ends before a dot.
    for (std::size_t end = lowered.size(); end > 0;) {
        const std::string id = lowered.substr(0, end);
        const auto found = entries_.find(id);
        if (found != entries_.end()) {
            const std::string_view rest = std::string_view(lowered).substr(end);
            // A shorter ID names itself and itself with one extension only.
            const bool names = partCount(id) >= 3 || rest.find('.', 1) == std::string_view::npos;
            if (names && isOtherApp(found->second)) return true;
        }
        const std::size_t dot = lowered.rfind('.', end - 1);
        if (dot == std::string::npos || dot == 0) break;
        end = dot;
    }
    return false;
}

} // namespace plenwick
