#include "uninstaller/LeftoverSearch.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/TrashName.h"
#include "services/FolderEntries.h"
#include "services/TextClusters.h"

#include <QList>
#include <QString>

#include <climits>
#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

struct Folder {
    const char* path; // relative to the Library root
    Remnant::Kind kind;
    bool byName;
};

// Searched under both Library roots.
constexpr Folder sharedFolders[] = {
    {"Application Support", Remnant::Kind::applicationSupport, true},
    {"Caches", Remnant::Kind::caches, true},
    {"Preferences", Remnant::Kind::preferences, false},
    {"Logs", Remnant::Kind::logs, true},
    {"PrivilegedHelperTools", Remnant::Kind::helperTools, false},
};

// Searched under the user's Library only, by identifier.
constexpr Folder userFolders[] = {
    {"Preferences/ByHost", Remnant::Kind::preferences, false},
    {"Containers", Remnant::Kind::containers, false},
    {"Group Containers", Remnant::Kind::groupContainers, false},
    {"Application Scripts", Remnant::Kind::containers, false},
    {"Saved Application State", Remnant::Kind::savedState, false},
    {"HTTPStorages", Remnant::Kind::webData, false},
    {"WebKit", Remnant::Kind::webData, false},
    {"Cookies", Remnant::Kind::webData, false},
};

constexpr std::string_view helperToolsFolder = "PrivilegedHelperTools";
constexpr std::string_view crashReportsFolder = "Logs/DiagnosticReports";

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

std::optional<std::string> resolvedPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (!::realpath(path.c_str(), buffer)) return std::nullopt;
    return std::string(buffer);
}

// Whether an identifier names one thing: at least two non-empty parts between dots.
// "com" or "" would make every "com.*" entry (or every entry) a certain leftover.
bool isSpecificIdentifier(std::string_view id) {
    int parts = 0;
    std::size_t start = 0;
    while (start <= id.size()) {
        std::size_t end = id.find('.', start);
        if (end == std::string_view::npos) end = id.size();
        if (end > start) ++parts;
        start = end + 1;
    }
    return parts >= 2;
}

// The identifier test with the identifiers lowered once.
class IdentifierMatcher {
public:
    explicit IdentifierMatcher(const std::vector<std::string>& identifiers) {
        for (const std::string& id : identifiers)
            if (isSpecificIdentifier(id)) identifiers_.push_back(lowered(id));
    }

    bool matches(std::string_view name) const {
        const std::string plain = lowered(name);
        const auto stripped = stripGroupPrefix(name);
        const std::string bare = stripped ? lowered(*stripped) : std::string();
        for (const std::string& id : identifiers_) {
            if (matchesForm(plain, id)) return true;
            if (stripped && matchesForm(bare, id)) return true;
        }
        return false;
    }

private:
    static bool matchesForm(const std::string& form, const std::string& id) {
        return form.starts_with(id) && (form.size() == id.size() || form[id.size()] == '.');
    }
    std::vector<std::string> identifiers_;
};

// The findings, keyed by standardised path. A certain finding is never replaced; a
// possible one gives way to any later finding.
class Findings {
public:
    void record(const std::string& path, Remnant::Kind kind, Remnant::Confidence confidence) {
        auto [it, inserted] = found_.try_emplace(path, kind, confidence);
        if (!inserted && it->second.second != Remnant::Confidence::certain) it->second = {kind, confidence};
    }
    const std::map<std::string, std::pair<Remnant::Kind, Remnant::Confidence>>& all() const { return found_; }

private:
    std::map<std::string, std::pair<Remnant::Kind, Remnant::Confidence>> found_;
};

std::unordered_set<std::string> asSet(const std::set<std::string>& names) { return {names.begin(), names.end()}; }

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

bool entryMatchesBundleIDs(std::string_view name, const std::vector<std::string>& identifiers) {
    return IdentifierMatcher(identifiers).matches(name);
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
            if (associated == id && isSpecificIdentifier(id)) return true;
    if (job.label && entryMatchesBundleIDs(*job.label, identifiers)) return true;
    return launchJobRunsFrom(job, app.url);
}

bool launchJobRunsFrom(const LaunchJob& job, const std::string& bundle) {
    if (!job.programPath) return false;
    const auto program = standardizedPathWithoutParentSteps(*job.programPath);
    return program && isStrictlyInside(*program, normalizedPathOrSelf(bundle));
}

std::optional<std::string> helperToolOfJob(const LaunchJob& job, const std::string& helperFolder) {
    if (!job.programPath) return std::nullopt;
    const auto program = standardizedPathWithoutParentSteps(*job.programPath);
    const std::string folder = normalizedPathOrSelf(helperFolder);
    if (!program || !isStrictlyInside(*program, folder)) return std::nullopt;
    struct stat st {};
    if (::stat(program->c_str(), &st) != 0) return std::nullopt;
    // A linked folder on the way would lead the tool's path elsewhere.
    const auto realFolder = resolvedPath(folder);
    const auto realParent = resolvedPath(parentPath(*program));
    if (!realFolder || !realParent) return std::nullopt;
    if (*realParent != *realFolder && !isStrictlyInside(*realParent, *realFolder)) return std::nullopt;
    return program;
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
    const auto ownNames = asSet(matchableNames({app.name, bundleBaseName(app.url)}));
    const auto allNames = asSet(app.nameCandidates()); // the own names and the executable's

    Findings findings;
    std::vector<std::string> searched; // every folder listed; nothing outside them is offered

    std::vector<std::pair<std::string, bool>> libraries{{normalizedPathOrSelf(roots.userLibrary), true}};
    if (roots.systemLibrary) libraries.emplace_back(normalizedPathOrSelf(*roots.systemLibrary), false);

    for (const auto& [library, isUser] : libraries) {
        std::vector<Folder> folders(std::begin(sharedFolders), std::end(sharedFolders));
        if (isUser) folders.insert(folders.end(), std::begin(userFolders), std::end(userFolders));
        for (const Folder& row : folders) {
            if (stop.stop_requested()) return {};
            const std::string folder = appendingPathComponent(library, row.path);
            searched.push_back(folder);
            for (const std::string& name : folderEntryNames(folder)) {
                const std::string path = appendingPathComponent(folder, name);
                if (identifiers.matches(name)) {
                    findings.record(path, row.kind, Remnant::Confidence::certain);
                } else if (row.byName) {
                    if (setContainsIgnoringCase(ownNames, name))
                        findings.record(path, row.kind, Remnant::Confidence::certain);
                    else if (setContainsIgnoringCase(allNames, name))
                        findings.record(path, row.kind, Remnant::Confidence::possible);
                }
            }
        }

        std::vector<std::string> launchFolders{"LaunchAgents"};
        if (!isUser) launchFolders.emplace_back("LaunchDaemons");
        const std::string helperFolder = appendingPathComponent(library, helperToolsFolder);
        for (const std::string& launchFolder : launchFolders) {
            if (stop.stop_requested()) return {};
            const std::string folder = appendingPathComponent(library, launchFolder);
            searched.push_back(folder);
            for (const std::string& name : folderEntryNames(folder)) {
                if (nameExtension(name) != "plist") continue;
                const std::string path = appendingPathComponent(folder, name);
                const auto job = LaunchJob::fromFile(path);
                const bool belongs = identifiers.matches(name) || (job && launchJobBelongsToApp(app, *job));
                // The app's bundle is in the Trash now: a job naming the place it was
                // installed at may well be its, but the text of a path proves nothing.
                const bool ranFromFormerPlace =
                    !belongs && job && formerLocation && launchJobRunsFrom(*job, *formerLocation);
                if (!belongs && !ranFromFormerPlace) continue;
                const auto confidence = belongs ? Remnant::Confidence::certain : Remnant::Confidence::possible;
                findings.record(path, Remnant::Kind::launchItems, confidence);
                if (!job) continue;
                if (const auto tool = helperToolOfJob(*job, helperFolder))
                    findings.record(*tool, Remnant::Kind::helperTools, confidence);
            }
        }
    }

    if (app.executableName && characterCount(*app.executableName) >= 3) {
        const std::string folder = appendingPathComponent(normalizedPathOrSelf(roots.userLibrary), crashReportsFolder);
        searched.push_back(folder);
        const std::string dash = *app.executableName + "-", underscore = *app.executableName + "_";
        for (const std::string& name : folderEntryNames(folder))
            if (name.starts_with(dash) || name.starts_with(underscore))
                findings.record(appendingPathComponent(folder, name), Remnant::Kind::crashReports, Remnant::Confidence::possible);
    }

    const std::string bundle = normalizedPathOrSelf(app.url);
    std::vector<Remnant> remnants;
    for (const auto& [path, found] : findings.all()) {
        if (stop.stop_requested()) return {};
        if (path == bundle || isStrictlyInside(path, bundle)) continue;
        bool inSearchedFolder = false;
        for (const std::string& folder : searched) inSearchedFolder = inSearchedFolder || isStrictlyInside(path, folder);
        if (!inSearchedFolder) continue;
        const bool needsAdmin = ::access(parentPath(path).c_str(), W_OK) != 0;
        remnants.push_back(Remnant{path, found.first, found.second, needsAdmin, allocatedSize(path, stop)});
    }
    remnants = dropNestedRemnants(std::move(remnants));
    sortRemnants(remnants);
    return remnants;
}

} // namespace plenwick
