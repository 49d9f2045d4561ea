#include "services/AppBundleInfo.h"

#include "base/HashCombine.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/FolderEntries.h"
#include "services/TextClusters.h"

#include <QString>

#include <algorithm>
#include <array>
#include <functional>
#include <unordered_set>

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

std::vector<std::string> AppBundleInfo::relatedBundleIDsOf(const std::string& bundleURL, const std::string& ownID) {
    std::vector<std::string> related;
    const std::string ownPrefix = ownID + ".";
    for (const char* place : nestedBundlePlaces) {
        const std::string folder = appendingPathComponent(bundleURL, place);
        // Every direct child counts, with or without an extension; one that is no
        // bundle simply has no Info.plist to read.
        for (const std::string& name : folderEntryNames(folder)) {
            const auto info = readInfoPlist(appendingPathComponent(folder, name));
            if (!info) continue;
            const std::string* id = plistString(*info, "CFBundleIdentifier");
            // An empty identifier would match every leftover name: never related.
            if (!id || id->empty() || *id == ownID || id->starts_with(ownPrefix)) continue;
            bool shared = false;
            for (std::string_view prefix : sharedFrameworkPrefixes) shared = shared || id->starts_with(prefix);
            if (shared) continue;
            if (std::find(related.begin(), related.end(), *id) == related.end()) related.push_back(*id);
        }
    }
    return related;
}

std::optional<AppBundleInfo> AppBundleInfo::read(const std::string& bundleURL) {
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
    app.relatedBundleIDs = relatedBundleIDsOf(bundleURL, app.bundleID);
    return app;
}

bool isSystemBundleID(std::string_view bundleID) noexcept { return bundleID.starts_with("com.apple."); }

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
    return seed;
}

} // namespace plenwick
