#include "uninstaller/Remnant.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/LinuxApps.h"

#include <QString>

#include <algorithm>

namespace plenwick {

std::optional<Remnant::Kind> Remnant::kindFromRaw(int raw) noexcept {
    if (raw < 0 || raw > static_cast<int>(Kind::crashReports)) return std::nullopt;
    return static_cast<Kind>(raw);
}

const std::vector<Remnant::Kind>& Remnant::allKinds() {
    static const std::vector<Kind> kinds = [] {
        std::vector<Kind> all;
        for (int raw = 0; raw <= static_cast<int>(Kind::crashReports); ++raw) all.push_back(static_cast<Kind>(raw));
        return all;
    }();
    return kinds;
}

const char* Remnant::title(Kind kind) noexcept {
    switch (kind) {
    case Kind::applicationSupport: return "Data";
    case Kind::preferences: return "Settings";
    case Kind::caches: return "Caches";
    case Kind::containers: return "Flatpak data";
    case Kind::groupContainers: return "Shared Containers";
    case Kind::launchItems: return "Starts at login";
    case Kind::helperTools: return "Privileged Helpers";
    case Kind::savedState: return "Saved Window State";
    case Kind::webData: return "Cookies & Web Data";
    case Kind::logs: return "State and logs";
    case Kind::crashReports: return "Crash Reports";
    }
    return "";
}

const char* Remnant::symbol(Kind kind) noexcept {
    switch (kind) {
    case Kind::applicationSupport: return "folder";
    case Kind::preferences: return "slider.horizontal.3";
    case Kind::caches: return "internaldrive";
    case Kind::containers: return "shippingbox";
    case Kind::groupContainers: return "square.stack.3d.up";
    case Kind::launchItems: return "power";
    case Kind::helperTools: return "lock.shield";
    case Kind::savedState: return "macwindow";
    case Kind::webData: return "globe";
    case Kind::logs: return "doc.text";
    case Kind::crashReports: return "exclamationmark.triangle";
    }
    return "";
}

RemnantSearchRoots::RemnantSearchRoots()
    : home(homeDirectory()), configHome(xdgConfigHome()), dataHome(xdgDataHome()), cacheHome(xdgCacheHome()),
      stateHome(xdgStateHome()), systemRoot("/"), installedEntryFolders(applicationsFolders()) {
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    for (const std::string& folder : {appendingPathComponent(dataHome, "flatpak/exports/share/applications"),
                                      std::string("/var/lib/flatpak/exports/share/applications"),
                                      std::string("/var/lib/snapd/desktop/applications")})
        if (std::find(installedEntryFolders.begin(), installedEntryFolders.end(), folder) == installedEntryFolders.end())
            installedEntryFolders.push_back(folder);
}

RemnantSearchRoots RemnantSearchRoots::userFoldersOf(const std::string& home) {
    RemnantSearchRoots roots;
    roots.home = home;
    roots.configHome = appendingPathComponent(home, ".config");
    roots.dataHome = appendingPathComponent(home, ".local/share");
    roots.cacheHome = appendingPathComponent(home, ".cache");
    roots.stateHome = appendingPathComponent(home, ".local/state");
    roots.systemRoot.reset();
    roots.installedEntryFolders = {appendingPathComponent(roots.dataHome, "applications")};
    return roots;
}

void sortRemnants(std::vector<Remnant>& remnants) {
    std::sort(remnants.begin(), remnants.end(), [](const Remnant& a, const Remnant& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        if (a.size != b.size) return a.size > b.size;
        return a.url < b.url;
    });
}

bool setContainsIgnoringCase(const std::unordered_set<std::string>& set, std::string_view value) {
    // A name that is not valid UTF-8 compares by its bytes, ASCII letters folded:
    // decoding would turn different invalid bytes into the same replacement character.
    const bool valueIsText = isValidUtf8(value);
    const std::string loweredValue = valueIsText ? std::string() : asciiLower(value);
    const QString wanted = QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
    for (const std::string& member : set) {
        if (!valueIsText) {
            if (asciiLower(member) == loweredValue) return true;
            continue;
        }
        if (!isValidUtf8(member)) continue; // never equal to valid text
        const QString text = QString::fromUtf8(member.data(), static_cast<qsizetype>(member.size()));
        if (text.compare(wanted, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

bool isOutsideAllPaths(std::string_view path, const std::unordered_set<std::string>& paths) {
    std::string parent(path);
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    for (;;) {
        const auto slash = parent.find_last_of('/');
        if (slash == std::string::npos) return true;
        parent.resize(slash == 0 ? 1 : slash);
        if (parent.size() < 2) return true;
        if (paths.count(parent)) return false;
    }
}

} // namespace plenwick
