#include "uninstaller/LeftoverSearch.h"

#include "uninstaller/OtherApps.h"
#include "uninstaller/SharedPlaces.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/TrashName.h"
#include "services/DesktopEntry.h"
#include "services/FolderEntries.h"
#include "services/LinuxApps.h"
#include "services/RegularFile.h"
#include "services/UnitFile.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

bool isStrictlyInside(std::string_view path, std::string_view folder) {
    folder = withoutTrailingSlashes(folder);
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

// Lower-case text for comparisons that ignore case; names that are not UTF-8 keep
// their bytes with ASCII letters lowered.
std::string lowered(std::string_view text) {
    if (!isValidUtf8(text)) return asciiLower(text);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdString();
}

// The dot-separated parts of an identifier; none when one is empty ("com.", ".com",
// "a..b", "").
std::optional<std::size_t> identifierParts(std::string_view id) {
    std::size_t parts = 0, start = 0;
    while (start <= id.size()) {
        std::size_t end = id.find('.', start);
        if (end == std::string_view::npos) end = id.size();
        if (end == start) return std::nullopt;
        ++parts;
        start = end + 1;
    }
    return parts;
}

// A reverse-DNS identifier (two dots or more) names one app's things: a match by it
// is certain.
bool isReverseDNS(std::string_view id) {
    const auto parts = identifierParts(id);
    return parts && *parts >= 3;
}

// The identifier test with the identifiers lowered once. A reverse-DNS identifier
// names itself and what begins with it and a dot, for certain. Any other ("foo",
// "foo.bar": many desktop file IDs are one word) names only itself and itself with
// one extension ("foo", "foo.desktop", "foo.png"), and only possibly, since another
// app may well use the word; it counts only when it is a match name (3 characters or
// more, no generic word), so "com" or "data" claim nothing.
class IdentifierMatcher {
public:
    explicit IdentifierMatcher(const std::vector<std::string>& identifiers) {
        for (const std::string& id : identifiers) {
            if (isReverseDNS(id)) identifiers_.push_back(lowered(id));
            else if (identifierParts(id) && !matchableNames({id}).empty()) words_.push_back(lowered(id));
        }
    }

    std::optional<Remnant::Confidence> match(std::string_view name) const {
        const std::string plain = lowered(name);
        const auto stripped = stripGroupPrefix(name);
        const std::string bare = stripped ? lowered(*stripped) : std::string();
        for (const std::string& id : identifiers_) {
            if (matchesForm(plain, id)) return Remnant::Confidence::certain;
            if (stripped && matchesForm(bare, id)) return Remnant::Confidence::certain;
        }
        for (const std::string& word : words_)
            if (matchesWord(plain, word)) return Remnant::Confidence::possible;
        return std::nullopt;
    }

private:
    static bool matchesForm(const std::string& form, const std::string& id) {
        return form.starts_with(id) && (form.size() == id.size() || form[id.size()] == '.');
    }
    // The word itself, or the word and one extension.
    static bool matchesWord(const std::string& form, const std::string& word) {
        return matchesForm(form, word) && form.find('.', word.size() + 1) == std::string::npos;
    }
    std::vector<std::string> identifiers_;
    std::vector<std::string> words_;
};

// How a finding was made: by its name, which another app may bear too, or by the
// program it starts, which lies inside the app.
enum class FoundBy { name, program };

struct Finding {
    Remnant::Kind kind;
    Remnant::Confidence confidence;
    FoundBy by;
};

// The findings, keyed by standardised path. A certain finding is never replaced; a
// possible one gives way to any later finding.
class Findings {
public:
    void record(const std::string& path, Remnant::Kind kind, Remnant::Confidence confidence, FoundBy by) {
        auto [it, inserted] = found_.try_emplace(path, Finding{kind, confidence, by});
        if (!inserted && it->second.confidence != Remnant::Confidence::certain) it->second = {kind, confidence, by};
    }
    const std::map<std::string, Finding>& all() const { return found_; }

private:
    std::map<std::string, Finding> found_;
};

// A set of names compared with entries' whole file names, ignoring case. The names
// are decoded once; an entry that is not UTF-8 compares by its bytes, ASCII letters
// folded (decoding would make different invalid bytes equal).
class NameMatcher {
public:
    explicit NameMatcher(const std::set<std::string>& names) {
        for (const std::string& name : names) {
            if (isValidUtf8(name))
                texts_.push_back(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            bytes_.push_back(asciiLower(name));
        }
    }

    bool matches(std::string_view name) const {
        if (!isValidUtf8(name)) {
            const std::string folded = asciiLower(name);
            return std::find(bytes_.begin(), bytes_.end(), folded) != bytes_.end();
        }
        const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        for (const QString& candidate : texts_)
            if (candidate.compare(text, Qt::CaseInsensitive) == 0) return true;
        return false;
    }

private:
    std::vector<QString> texts_;
    std::vector<std::string> bytes_;
};

// A folder listed for entries matched by identifier and, when `byName`, by name;
// with `namedByID` its entries are named by desktop file ID and extension (menu
// entries, icons), and the one named by the app's own is the app's for certain.
struct Place {
    std::string folder;
    Remnant::Kind kind;
    bool byName;
    bool namedByID = false;
};

// A folder of entries that start something: desktop entries or units, found by the
// program they start and, when `byName`, by name. The system's are found only by the
// program they start, never by a name, and are never more than possible: they are
// every user's.
enum class StarterType { desktopEntry, unit };
struct StarterPlace {
    std::string folder;
    StarterType type;
    std::optional<std::string> home; // what "%h" stands for in a user unit
    bool system = false;
    Remnant::Kind kind = Remnant::Kind::launchItems;
    bool byName = true;
};

// The program a desktop entry or a unit starts; none when it can't be read. Read as a
// regular file only, without blocking and within a size cap.
std::optional<std::string> starterProgram(const std::string& path, const StarterPlace& place) {
    if (place.type == StarterType::desktopEntry) {
        const auto bytes = readRegularFile(path, maxDesktopEntrySize);
        if (!bytes) return std::nullopt;
        const auto entry = parseDesktopEntry(*bytes);
        if (!entry) return std::nullopt;
        std::string program = execProgram(entry->exec);
        if (program.empty()) return std::nullopt;
        return program;
    }
    const auto text = readRegularFile(path, maxUnitFileSize);
    if (!text) return std::nullopt;
    return parseUnitFile(*text, place.home).program;
}

// The name forms of a home folder's dot-entry: without the dot, and also without a
// trailing "rc" (".foo", ".foorc" → "foo"). None for what is no dot-entry.
std::vector<std::string> dotEntryForms(std::string_view name) {
    if (name.size() < 2 || name.front() != '.' || name == "..") return {};
    std::vector<std::string> forms{std::string(name.substr(1))};
    if (forms.front().size() > 2 && forms.front().ends_with("rc"))
        forms.push_back(forms.front().substr(0, forms.front().size() - 2));
    return forms;
}

// Whether `path` is `other` or holds it.
bool isOrHolds(std::string_view path, std::string_view other) {
    return path == other || isStrictlyInside(other, path);
}

// Whether the entry named `name` is exactly the app's desktop file ID with one
// extension ("org.example.Foo.desktop", "fooview.png").
bool isNamedByID(std::string_view name, const std::string& id) {
    const auto dot = name.rfind('.');
    return dot != std::string_view::npos && name.substr(0, dot) == id;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

std::vector<std::string> searchIdentifiers(const AppBundleInfo& app) {
    std::vector<std::string> identifiers{app.bundleID};
    identifiers.insert(identifiers.end(), app.relatedBundleIDs.begin(), app.relatedBundleIDs.end());
    return identifiers;
}

std::optional<std::string> stripGroupPrefix(std::string_view name) {
    const auto dot = name.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view head = name.substr(0, dot);
    const std::string rest(name.substr(dot + 1));
    if (head == "group") return rest;
    if (!isValidUtf8(head)) return std::nullopt;
    const QList<uint> codePoints = QString::fromUtf8(head.data(), static_cast<qsizetype>(head.size())).toUcs4();
    if (codePoints.size() != 10) return std::nullopt;
    for (const uint c : codePoints)
        if (!QChar::isUpper(c) && !QChar::isNumber(c)) return std::nullopt;
    return rest;
}

std::optional<Remnant::Confidence> identifierMatch(std::string_view name, const std::vector<std::string>& identifiers) {
    return IdentifierMatcher(identifiers).match(name);
}

bool entryMatchesBundleIDs(std::string_view name, const std::vector<std::string>& identifiers) {
    return identifierMatch(name, identifiers).has_value();
}

std::optional<std::string> standardizedPathWithoutParentSteps(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::string out;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        out.push_back('/');
        out.append(part);
    }
    return out.empty() ? std::string("/") : out;
}

bool launchJobBelongsToApp(const AppBundleInfo& app, const LaunchJob& job) {
    const std::vector<std::string> identifiers = searchIdentifiers(app);
    for (const std::string& associated : job.associatedBundleIDs)
        for (const std::string& id : identifiers)
            if (associated == id && isReverseDNS(id)) return true;
    if (job.label && identifierMatch(*job.label, identifiers) == Remnant::Confidence::certain) return true;
    return launchJobRunsFrom(job, app.url);
}

bool launchJobRunsFrom(const LaunchJob& job, const std::string& bundle) {
    if (!job.programPath) return false;
    const auto program = standardizedPathWithoutParentSteps(*job.programPath);
    if (!program) return false;
    const std::string app = normalizedPathOrSelf(bundle);
    // An AppImage is its own program; an app folder holds its programs.
    return *program == app || isStrictlyInside(*program, app);
}

std::vector<Remnant> dropNestedRemnants(std::vector<Remnant> remnants) {
    std::unordered_set<std::string> paths;
    for (const Remnant& r : remnants) paths.insert(r.url);
    std::erase_if(remnants, [&](const Remnant& r) { return !isOutsideAllPaths(r.url, paths); });
    return remnants;
}

std::vector<Remnant> findRemnants(const AppBundleInfo& app, const RemnantSearchRoots& roots, std::stop_token stop,
                                  const std::optional<std::string>& formerLocation) {
    if (isSystemApp(app)) return {};

    const IdentifierMatcher identifiers(searchIdentifiers(app));
    // Names (the app's, its file's, its program's) are possible leftovers only: any
    // app, or a download posing as one, may bear them.
    const NameMatcher names(app.nameCandidates());

    const std::string home = normalizedPathOrSelf(roots.home);
    const std::string config = normalizedPathOrSelf(roots.configHome);
    const std::string data = normalizedPathOrSelf(roots.dataHome);
    const std::string cache = normalizedPathOrSelf(roots.cacheHome);
    const std::string state = normalizedPathOrSelf(roots.stateHome);
    // A home of "/" (no home known) has no dot-entries or Flatpak data of the user's.
    const bool hasHome = !home.empty() && home != "/";

    std::vector<Place> places{
        {config, Remnant::Kind::preferences, true},
        {data, Remnant::Kind::applicationSupport, true},
        {cache, Remnant::Kind::caches, true},
        {state, Remnant::Kind::logs, true},
    };
    if (hasHome) places.push_back({appendingPathComponent(home, ".var/app"), Remnant::Kind::containers, false});
    places.push_back({appendingPathComponent(data, "applications"), Remnant::Kind::applicationSupport, false, true});
    const std::string hicolor = appendingPathComponent(data, "icons/hicolor");
    for (const std::string& size : folderEntryNames(hicolor))
        places.push_back({appendingPathComponent(appendingPathComponent(hicolor, size), "apps"),
                          Remnant::Kind::applicationSupport, false, true});

    // The menu's entries that start the app are its own, as much as its autostart entries.
    std::vector<StarterPlace> starters{
        {appendingPathComponent(config, "autostart"), StarterType::desktopEntry, std::nullopt},
        {appendingPathComponent(config, "systemd/user"), StarterType::unit, hasHome ? std::optional(home) : std::nullopt},
        {appendingPathComponent(data, "applications"), StarterType::desktopEntry, std::nullopt, false,
         Remnant::Kind::applicationSupport, false},
    };
    if (roots.systemRoot) {
        const std::string root = normalizedPathOrSelf(*roots.systemRoot);
        starters.push_back({appendingPathComponent(root, "etc/xdg/autostart"), StarterType::desktopEntry, std::nullopt, true});
        starters.push_back({appendingPathComponent(root, "etc/systemd/system"), StarterType::unit, std::nullopt, true});
    }

    // The folders the search lists, the base folders and the Trash are never
    // leftovers themselves, nor is anything holding them: an app named "Local",
    // "Icons" or "Trash" must not claim ~/.local, the icon theme or the Trash. Nor
    // are the places every desktop shares.
    std::vector<std::string> structural{config, data, cache, state, appendingPathComponent(data, "Trash")};
    if (hasHome) structural.push_back(home);
    for (const Place& place : places) structural.push_back(place.folder);
    for (const StarterPlace& place : starters) structural.push_back(place.folder);
    for (std::string& shared : sharedPlaces(roots)) structural.push_back(std::move(shared));

    Findings findings;
    std::vector<std::string> searched; // every folder listed; nothing outside them is offered

    for (const Place& place : places) {
        if (stop.stop_requested()) return {};
        searched.push_back(place.folder);
        for (const std::string& name : folderEntryNames(place.folder)) {
            const std::string path = appendingPathComponent(place.folder, name);
            std::optional<Remnant::Confidence> confidence = identifiers.match(name);
            if (place.namedByID && isNamedByID(name, app.bundleID)) confidence = Remnant::Confidence::certain;
            if (!confidence && place.byName && names.matches(name)) confidence = Remnant::Confidence::possible;
            if (confidence) findings.record(path, place.kind, *confidence, FoundBy::name);
        }
    }

    // The home folder's own dot-entries (~/.foo, ~/.foorc), by name.
    if (hasHome) {
        if (stop.stop_requested()) return {};
        searched.push_back(home);
        for (const std::string& name : folderEntryNames(home)) {
            const std::vector<std::string> forms = dotEntryForms(name);
            if (std::any_of(forms.begin(), forms.end(), [&](const std::string& form) { return names.matches(form); }))
                findings.record(appendingPathComponent(home, name), Remnant::Kind::applicationSupport,
                                Remnant::Confidence::possible, FoundBy::name);
        }
    }

    // What starts at login, at startup or from the menu: by its file name, or by the
    // program it runs. A unit that is a link is another unit's name or its enablement:
    // never offered, so never stopped or moved.
    for (const StarterPlace& place : starters) {
        if (stop.stop_requested()) return {};
        searched.push_back(place.folder);
        const std::string_view extension = place.type == StarterType::desktopEntry ? "desktop" : "service";
        for (const std::string& name : folderEntryNames(place.folder)) {
            if (stop.stop_requested()) return {};
            if (nameExtension(name) != extension) continue;
            const std::string path = appendingPathComponent(place.folder, name);
            if (place.type == StarterType::unit && isLink(path)) continue;
            const std::optional<Remnant::Confidence> byName =
                place.system || !place.byName ? std::nullopt : identifiers.match(name);
            if (byName == Remnant::Confidence::certain) {
                findings.record(path, place.kind, *byName, FoundBy::name);
                continue;
            }
            bool runsApp = false, ranFromFormerPlace = false;
            if (const auto program = starterProgram(path, place)) {
                LaunchJob job;
                job.programPath = *program;
                runsApp = launchJobRunsFrom(job, app.url);
                // The app is in the Trash now: an entry that runs it from where it was
                // installed may well be its, but the text of a path proves nothing.
                ranFromFormerPlace = !runsApp && formerLocation && launchJobRunsFrom(job, *formerLocation);
            }
            if (runsApp || ranFromFormerPlace) {
                const bool sure = runsApp && !place.system;
                findings.record(path, place.kind, sure ? Remnant::Confidence::certain : Remnant::Confidence::possible,
                                FoundBy::program);
            } else if (byName) {
                findings.record(path, place.kind, *byName, FoundBy::name);
            }
        }
    }

    // What another installed app's desktop entry names by its ID is that app's.
    std::optional<OtherApps> otherApps;
    const std::string bundle = normalizedPathOrSelf(app.url);
    std::vector<Remnant> remnants;
    for (const auto& [path, found] : findings.all()) {
        if (stop.stop_requested()) return {};
        // The app itself, anything inside it and any folder holding it are never leftovers.
        if (isOrHolds(path, bundle) || isStrictlyInside(path, bundle)) continue;
        if (std::any_of(structural.begin(), structural.end(), [&](const std::string& s) { return isOrHolds(path, s); }))
            continue;
        const bool inSearchedFolder = std::any_of(searched.begin(), searched.end(),
                                                  [&](const std::string& folder) { return isStrictlyInside(path, folder); });
        if (!inSearchedFolder) continue;
        if (found.by == FoundBy::name) {
            if (!otherApps) otherApps.emplace(app, roots.installedEntryFolders, formerLocation);
            const std::string name = lastPathComponent(path);
            const std::vector<std::string> forms = parentPath(path) == home ? dotEntryForms(name) : std::vector{name};
            if (std::any_of(forms.begin(), forms.end(), [&](const std::string& form) { return otherApps->claim(form); }))
                continue;
        }
        const bool needsAdmin = ::access(parentPath(path).c_str(), W_OK) != 0;
        remnants.push_back(Remnant{path, found.kind, found.confidence, needsAdmin, allocatedSize(path, stop)});
    }
    if (stop.stop_requested()) return {};
    remnants = dropNestedRemnants(std::move(remnants));
    sortRemnants(remnants);
    return remnants;
}

} // namespace plenwick
