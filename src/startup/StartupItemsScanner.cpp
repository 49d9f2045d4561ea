#include "startup/StartupItemsScanner.h"

#include "startup/ProgramLookup.h"

#include "services/DesktopEntry.h"
#include "services/RegularFile.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <cstdlib>
#include <future>
#include <map>
#include <set>
#include <sys/stat.h>

namespace plenwick {
namespace {

using Source = StartupItem::Source;

std::string withoutEntrySuffix(const std::string& fileName) {
    return fileName.substr(0, fileName.size() - std::string_view(".desktop").size());
}

std::string searchPathOf(const StartupItemsScanner::Environment& environment) {
    if (environment.searchPath) return *environment.searchPath;
    const char* path = std::getenv("PATH");
    return path ? path : "/usr/local/bin:/usr/bin:/bin";
}

std::vector<std::string> configDirectories() {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs && *dirs ? dirs : "/etc/xdg";
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view folder = list.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') folders.emplace_back(folder);
        start = end + 1;
    }
    return folders;
}

// The app of each program, looked for once per scan: many items run the same one.
class Owners {
public:
    explicit Owners(const StartupItemsScanner::Environment& environment) : environment_(environment) {}
    std::optional<OwningApp> of(const std::optional<std::string>& program) {
        if (!program || program->empty() || program->front() != '/') return std::nullopt;
        const auto known = found_.find(*program);
        if (known != found_.end()) return known->second;
        auto owner = environment_.appContaining ? environment_.appContaining(*program) : appOwningProgram(*program);
        found_.emplace(*program, owner);
        return owner;
    }

private:
    const StartupItemsScanner::Environment& environment_;
    std::map<std::string, std::optional<OwningApp>> found_;
};

// Whether the manager lists the unit file as one that can start on its own, and
// whether it is enabled. A unit it gave no answer for is judged by its [Install]
// section, its state unknown.
struct Judged {
    bool listed = false;
    std::optional<bool> enabled;
};

Judged judge(const ServiceDefinition& definition, const ServiceStates& states) {
    const std::string* state = nullptr;
    if (states.unitFileStates) {
        const auto it = states.unitFileStates->find(definition.unitFile);
        if (it != states.unitFileStates->end()) state = &it->second;
    }
    if (!state) return {definition.file.installable, std::nullopt};
    const bool enabled = *state == "enabled" || *state == "enabled-runtime";
    if (definition.unit == definition.unitFile) return {isSwitchableState(*state), enabled};
    // A template is "indirect" while only instances other than its default one are
    // enabled; an instance found by its link is enabled whatever its template says.
    const bool listed = isSwitchableState(*state) || *state == "indirect";
    return {listed, definition.enabledByLink || enabled};
}

} // namespace

StartupItemsScanner::Folders StartupItemsScanner::Folders::standard() {
    Folders folders;
    const std::string config = xdgConfigHome();
    folders.userAutostart = appendingPathComponent(config, "autostart");
    for (const std::string& folder : configDirectories())
        folders.systemAutostart.push_back(appendingPathComponent(folder, "autostart"));
    folders.userUnits = {{appendingPathComponent(config, "systemd/user"), Source::userAgent},
                         {"/etc/systemd/user", Source::systemAgent},
                         {"/usr/lib/systemd/user", Source::systemAgent}};
    folders.systemUnits = {{"/etc/systemd/system", Source::systemDaemon},
                           {"/usr/lib/systemd/system", Source::systemDaemon}};
    folders.flatpakApplications = {appendingPathComponent(xdgDataHome(), "flatpak/exports/share/applications"),
                                   "/var/lib/flatpak/exports/share/applications"};
    return folders;
}

std::optional<OwningApp> StartupItemsScanner::flatpakApp(const std::string& flatpakID,
                                                         const std::vector<std::string>& flatpakApplications) {
    if (flatpakID.empty() || flatpakID.find('/') != std::string::npos) return std::nullopt;
    for (const std::string& folder : flatpakApplications) {
        const std::string path = appendingPathComponent(folder, flatpakID + ".desktop");
        const auto bytes = readRegularFile(path, maxDesktopEntrySize);
        if (!bytes) continue;
        const auto entry = parseDesktopEntry(*bytes);
        if (!entry) continue;
        return OwningApp{path, entry->name.empty() ? flatpakID : entry->name};
    }
    return std::nullopt;
}

std::vector<StartupItem> StartupItemsScanner::scanAutostart(const Folders& folders, const Environment& environment) {
    const std::string searchPath = searchPathOf(environment);
    Owners owners(environment);
    std::vector<StartupItem> items;
    for (AutostartDefinition& definition : autostartDefinitions(folders.userAutostart, folders.systemAutostart)) {
        const DesktopEntry& entry = definition.entry;
        StartupItem item;
        item.source = definition.source;
        item.label = definition.fileName;
        item.url = definition.path;
        const std::vector<std::string> arguments = execArguments(entry.exec);
        if (!arguments.empty()) item.programPath = arguments.front();
        item.isDisabled = definition.turnedOff;
        item.runsAtLoad = !definition.turnedOff;
        // The session skips an entry whose TryExec is not found.
        item.programMissing = (!entry.tryExec.empty() && !programExists(entry.tryExec, searchPath)) ||
                              (item.programPath && !programExists(*item.programPath, searchPath));
        auto owner = owners.of(item.programPath);
        if (!owner) owner = flatpakApp(entry.flatpakID, folders.flatpakApplications);
        if (owner) item.appURL = owner->path;
        item.name = !entry.name.empty() ? entry.name : withoutEntrySuffix(definition.fileName);
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<StartupItem> StartupItemsScanner::scanServices(const std::vector<UnitFolder>& unitFolders,
                                                           ServiceScope scope, const Environment& environment) {
    const std::optional<std::string> home =
        scope == ServiceScope::user ? std::optional<std::string>(environment.home ? *environment.home : homeDirectory())
                                    : std::nullopt;
    const std::vector<ServiceDefinition> definitions = serviceDefinitions(unitFolders, home);

    // Only units that could be enabled are asked about.
    std::vector<std::string> unitFiles, units;
    std::set<std::string> asked;
    for (const ServiceDefinition& definition : definitions) {
        if (!definition.file.installable) continue;
        if (asked.insert(definition.unitFile).second) unitFiles.push_back(definition.unitFile);
        units.push_back(definition.unit);
    }
    const ServiceStates states = ServiceStates::query(environment.programRunner(), scope, unitFiles, units);

    const std::string searchPath = searchPathOf(environment);
    Owners owners(environment);
    std::vector<StartupItem> items;
    for (const ServiceDefinition& definition : definitions) {
        const Judged judged = judge(definition, states);
        if (!judged.listed) continue;
        StartupItem item;
        item.source = definition.source;
        item.label = definition.unit;
        item.url = definition.path;
        item.programPath = definition.file.program;
        item.keepsAlive = definition.file.keepsAlive;
        if (judged.enabled) item.isDisabled = !*judged.enabled;
        item.runsAtLoad = judged.enabled == true;
        item.isLoaded = states.isRunning(definition.unit);
        item.programMissing = item.programPath && !programExists(*item.programPath, searchPath);
        const auto owner = owners.of(item.programPath);
        if (owner) item.appURL = owner->path;
        item.name = owner ? owner->name : definition.unit;
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<StartupItem> StartupItemsScanner::scan(const Folders& folders, const Environment& environment) {
    // The system's manager is asked on a thread of its own while the rest is read.
    auto system = std::async(std::launch::async, [&folders, &environment] {
        return scanServices(folders.systemUnits, ServiceScope::system, environment);
    });
    std::vector<StartupItem> items;
    std::exception_ptr failure;
    try {
        items = scanAutostart(folders, environment);
        std::vector<StartupItem> user = scanServices(folders.userUnits, ServiceScope::user, environment);
        items.insert(items.end(), std::make_move_iterator(user.begin()), std::make_move_iterator(user.end()));
    } catch (...) {
        failure = std::current_exception();
    }
    // Waited for before anything it refers to goes, also when the rest failed.
    std::vector<StartupItem> systemItems = system.get();
    if (failure) std::rethrow_exception(failure);
    items.insert(items.end(), std::make_move_iterator(systemItems.begin()), std::make_move_iterator(systemItems.end()));
    return items;
}

} // namespace plenwick
