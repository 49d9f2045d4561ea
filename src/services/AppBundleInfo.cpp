#include "services/AppBundleInfo.h"

#include "base/HashCombine.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "base/FolderResolver.h"
#include "services/LinuxApps.h"
#include "services/RegularFile.h"
#include "services/TextClusters.h"

#include <QString>

#include <algorithm>
#include <array>
#include <functional>
#include <unordered_set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

constexpr std::array<const char*, 7> nestedBundlePlaces{
    "Contents/Library/LoginItems", "Contents/Library/LaunchServices", "Contents/Library/SystemExtensions",
    "Contents/XPCServices",        "Contents/PlugIns",                "Contents/Helpers",
    "Contents/MacOS",
};

// Frameworks and updaters that many apps embed; never related to the app.
constexpr std::array<std::string_view, 10> sharedFrameworkPrefixes{
    "com.apple.",          "org.sparkle-project.", "com.google.Keystone", "com.microsoft.autoupdate",
    "com.crashlytics.",    "io.sentry.",           "com.bugsnag.",        "com.github.Electron",
    "org.chromium.",       "com.adobe.ARM",
};

const std::unordered_set<std::string>& genericWords() {
    static const std::unordered_set<std::string> words{
        "app",     "apps",     "helper",     "helpers",  "updater",  "update",  "launcher", "agent",
        "daemon",  "data",     "cache",      "caches",   "logs",     "support", "default",  "common",
        "shared",  "plugins",  "extensions", "electron", "chrome",   "chromium", "java",    "python",
        "node",    "temp",     "tmp",        "user",     "settings", "google",  "microsoft", "adobe",
        "apple",   "mozilla",  "jetbrains",  "autodesk", "steam",
    };
    return words;
}

// Nothing but white space of any kind (tabs, line breaks, no-break and other Unicode
// spaces).
bool isBlank(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).trimmed().isEmpty();
}

template <typename T>
void combine(std::size_t& seed, const T& value) {
    hashCombine(seed, std::hash<T>{}(value));
}

} // namespace

std::string bundleBaseName(const std::string& bundleURL) {
    const std::string name = lastPathComponent(bundleURL);
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool isAppBundlePath(std::string_view path) noexcept {
    return withoutTrailingSlashes(path).ends_with(".app");
}

std::optional<PlistDictionary> readInfoPlist(const std::string& bundleURL) {
    auto value = readPropertyListFile(appendingPathComponent(bundleURL, "Contents/Info.plist"));
    if (!value || !value->dictionary()) return std::nullopt;
    return std::move(*std::get_if<PlistDictionary>(&value->value));
}

namespace {

// A closed descriptor at the end of the scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// What one bundle's nested bundles may cost: entries looked at, bytes read, and
// the files read already (by device and inode), so that links or hard links to one
// big file cost it once.
struct NestedReadBudget {
    std::size_t entriesLeft = AppBundleInfo::maxNestedEntries;
    std::size_t bytesLeft = AppBundleInfo::maxNestedInfoBytes;
    std::set<std::pair<dev_t, ino_t>> read;
};

// The identifier in "<child>/Contents/Info.plist" below the open folder `place`,
// reached without following a link at any step; nothing for a file read before or
// one past what is left of the budget.
std::optional<std::string> nestedBundleID(int place, std::string_view child, NestedReadBudget& budget) {
    const std::array<std::string_view, 2> names{child, "Contents"};
    Descriptor contents{FolderResolver::open(place, names)};
    if (contents.fd < 0) return std::nullopt;
    Descriptor info{::openat(contents.fd, "Info.plist", O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY)};
    struct stat st {};
    if (info.fd < 0 || ::fstat(info.fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > budget.bytesLeft || !budget.read.insert({st.st_dev, st.st_ino}).second) return std::nullopt;
    const std::optional<std::string> bytes =
        readOpenRegularFile(info.fd, std::min(budget.bytesLeft, maxPropertyListSize));
    if (!bytes) return std::nullopt;
    budget.bytesLeft -= bytes->size();
    const std::optional<PlistValue> value = parsePropertyList(*bytes);
    const PlistDictionary* dictionary = value ? value->dictionary() : nullptr;
    const std::string* id = dictionary ? plistString(*dictionary, "CFBundleIdentifier") : nullptr;
    if (!id) return std::nullopt;
    return *id;
}

} // namespace

std::vector<std::string> AppBundleInfo::relatedBundleIDsOf(const std::string& bundleURL, const std::string& ownID,
                                                           std::stop_token stop) {
    std::vector<std::string> related;
    const std::string ownPrefix = ownID + ".";
    Descriptor bundle{::open(bundleURL.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (bundle.fd < 0) return related;
    NestedReadBudget budget;
    for (const char* place : nestedBundlePlaces) {
        // Below the bundle nothing is reached through a link: the places, the children
        // and their Info.plist files are opened name by name without following one.
        std::vector<std::string_view> names;
        for (std::string_view rest = place; !rest.empty();) {
            const auto slash = rest.find('/');
            names.push_back(rest.substr(0, slash));
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        }
        const int folder = FolderResolver::open(bundle.fd, names);
        if (folder < 0) continue;
        DIR* listing = ::fdopendir(folder);
        if (!listing) {
            ::close(folder);
            continue;
        }
        // Every direct child counts, with or without an extension; one that is no
        // bundle simply has no Info.plist to read.
        while (budget.entriesLeft > 0 && !stop.stop_requested()) {
            const dirent* entry = ::readdir(listing);
            if (!entry) break;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            --budget.entriesLeft;
            if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue; // links and files
            const std::optional<std::string> id = nestedBundleID(::dirfd(listing), name, budget);
            // An empty identifier would match every leftover name: never related.
            if (!id || id->empty() || *id == ownID || id->starts_with(ownPrefix)) continue;
            bool shared = false;
            for (std::string_view prefix : sharedFrameworkPrefixes) shared = shared || id->starts_with(prefix);
            if (shared) continue;
            if (std::find(related.begin(), related.end(), *id) == related.end()) related.push_back(*id);
        }
        ::closedir(listing);
        if (budget.entriesLeft == 0) break;
    }
    return related;
}

namespace {

std::optional<AppBundleInfo> readBundle(const std::string& bundleURL, std::stop_token stop) {
    const auto info = readInfoPlist(bundleURL);
    if (!info) return std::nullopt;
    const std::string* id = plistString(*info, "CFBundleIdentifier");
    if (!id || id->empty()) return std::nullopt;

    AppBundleInfo app;
    app.url = normalizedPathOrSelf(bundleURL);
    app.bundleID = *id;
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        const std::string* candidate = plistString(*info, key);
        if (candidate && !isBlank(*candidate)) {
            app.name = *candidate;
            break;
        }
    }
    if (app.name.empty()) app.name = repairUtf8(bundleBaseName(app.url));
    if (const std::string* exe = plistString(*info, "CFBundleExecutable")) app.executableName = *exe;
    if (const std::string* version = plistString(*info, "CFBundleShortVersionString")) app.version = *version;
    app.relatedBundleIDs = AppBundleInfo::relatedBundleIDsOf(bundleURL, app.bundleID, stop);
    app.managedBy = managerOfPath(app.url);
    if (stop.stop_requested()) return std::nullopt;
    return app;
}

} // namespace

std::optional<AppBundleInfo> AppBundleInfo::read(const std::string& path, std::stop_token stop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (S_ISDIR(st.st_mode)) {
        if (auto bundle = readBundle(path, stop)) return bundle;
        return readAppFolderApp(path, stop);
    }
    if (!S_ISREG(st.st_mode)) return std::nullopt; // a link, a FIFO, a device
    if (withoutTrailingSlashes(path).ends_with(".desktop")) return readDesktopEntryApp(path, stop);
    return readAppImageApp(path, stop);
}

bool isSystemBundleID(std::string_view bundleID) noexcept { return bundleID.starts_with("com.apple."); }

bool isSystemApp(const AppBundleInfo& app) noexcept {
    return isSystemBundleID(app.bundleID) || app.managedBy != AppManager::user;
}

std::set<std::string> matchableNames(const std::vector<std::string>& names) {
    std::set<std::string> kept;
    for (const std::string& name : names) {
        if (characterCount(name) < 3) continue;
        if (genericWords().count(asciiLower(name))) continue;
        kept.insert(name);
    }
    return kept;
}

std::set<std::string> AppBundleInfo::nameCandidates() const {
    std::vector<std::string> names;
    if (executableName) names.push_back(*executableName);
    names.push_back(name);
    names.push_back(repairUtf8(bundleBaseName(url)));
    return matchableNames(names);
}

std::size_t AppBundleInfoHash::operator()(const AppBundleInfo& info) const noexcept {
    std::size_t seed = 0;
    combine(seed, info.url);
    combine(seed, info.name);
    combine(seed, info.bundleID);
    combine(seed, info.executableName.has_value());
    if (info.executableName) combine(seed, *info.executableName);
    combine(seed, info.version.has_value());
    if (info.version) combine(seed, *info.version);
    combine(seed, info.relatedBundleIDs.size());
    for (const std::string& id : info.relatedBundleIDs) combine(seed, id);
    combine(seed, static_cast<int>(info.managedBy));
    return seed;
}

} // namespace plenwick
