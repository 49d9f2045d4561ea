#pragma once
// One leftover of an application found outside the app itself, and the helpers the
// leftover search and the session share: display order, the folders the search
// looks in, path tests and the allocated size of a file tree.

#include "base/HashCombine.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace plenwick {

struct Remnant {
    enum class Kind : int {
        applicationSupport = 0,
        preferences = 1,
        caches = 2,
        containers = 3,
        groupContainers = 4,
        launchItems = 5,
        helperTools = 6,
        savedState = 7,
        webData = 8,
        logs = 9,
        crashReports = 10,
    };
    enum class Confidence { certain, possible };

    std::string url;           // standardised path, raw bytes
    Kind kind = Kind::applicationSupport;
    Confidence confidence = Confidence::certain;
    bool needsAdmin = false;   // its parent folder is not writable by the user
    std::int64_t size = 0;     // allocated bytes, summed over a folder's tree

    // A remnant's identity in lists and selections is its url.
    const std::string& id() const noexcept { return url; }

    friend bool operator==(const Remnant&, const Remnant&) = default;

    static std::optional<Kind> kindFromRaw(int raw) noexcept;
    static const std::vector<Kind>& allKinds();
    // Section title shown in the uninstaller.
    static const char* title(Kind kind) noexcept;
    // Name of the symbol shown with the section.
    static const char* symbol(Kind kind) noexcept;
};

inline bool operator<(Remnant::Kind a, Remnant::Kind b) noexcept { return static_cast<int>(a) < static_cast<int>(b); }

// The folders every leftover search looks in: the user's home folder and XDG base
// folders, and the system's own places below `systemRoot`.
struct RemnantSearchRoots {
    std::string home;       // its dot-entries and ~/.var/app
    std::string configHome; // $XDG_CONFIG_HOME
    std::string dataHome;   // $XDG_DATA_HOME
    std::string cacheHome;  // $XDG_CACHE_HOME
    std::string stateHome;  // $XDG_STATE_HOME
    // Where etc/xdg/autostart and etc/systemd/system are looked for: "/"; none
    // limits the search to the user's folders.
    std::optional<std::string> systemRoot;
    // The folders whose desktop entries are installed apps: what one of them names
    // by its ID is that app's, never another's leftover.
    std::vector<std::string> installedEntryFolders;

    // The current user's folders: the XDG variables when absolute, else their
    // defaults below the home folder; "/"; the menu folders of $XDG_DATA_HOME and
    // $XDG_DATA_DIRS, Flatpak's and Snap's.
    RemnantSearchRoots();
    // The XDG defaults below `home` (~/.config, ~/.local/share, ~/.cache,
    // ~/.local/state) and its menu folder, without the system's places.
    static RemnantSearchRoots userFoldersOf(const std::string& home);
};

// Sorts into display order: kind, then size descending, then path.
void sortRemnants(std::vector<Remnant>& remnants);

// Whether `set` holds `value` under case-insensitive comparison of the texts.
bool setContainsIgnoringCase(const std::unordered_set<std::string>& set, std::string_view value);

// Whether `path` lies outside all of `paths`: false as soon as one of its parent
// folders (from the immediate parent upwards, never "/" itself) is in the set.
bool isOutsideAllPaths(std::string_view path, const std::unordered_set<std::string>& paths);

// Allocated bytes of a file, or of every non-folder entry below a folder on the
// folder's own mount. Links are not followed, mount points not crossed (bind mounts
// included); unreadable entries count nothing. Stops early (with the partial sum)
// when `stop` is requested.
std::int64_t allocatedSize(const std::string& path, std::stop_token stop = {});

} // namespace plenwick

template <>
struct std::hash<plenwick::Remnant> {
    std::size_t operator()(const plenwick::Remnant& r) const noexcept {
        std::size_t seed = std::hash<std::string>{}(r.url);
        plenwick::hashCombine(seed, static_cast<std::size_t>(r.kind));
        plenwick::hashCombine(seed, static_cast<std::size_t>(r.confidence));
        plenwick::hashCombine(seed, r.needsAdmin ? 1 : 0);
        plenwick::hashCombine(seed, std::hash<std::int64_t>{}(r.size));
        return seed;
    }
};
