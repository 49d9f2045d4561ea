#include "startup/AutostartEntries.h"

#include "services/FolderEntries.h"
#include "services/RegularFile.h"

#include "base/PathNames.h"

#include <algorithm>
#include <map>
#include <optional>

namespace plenwick {
namespace {

struct Found {
    std::string path;
    DesktopEntry entry;
};

bool isEntryName(std::string_view name) {
    constexpr std::string_view suffix = ".desktop";
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

// An entry's file may be a link (to an app's own entry, say): it is read through it,
// as a regular file within the size cap.
std::optional<DesktopEntry> readEntry(const std::string& path) {
    const auto bytes = readRegularFile(path, maxDesktopEntrySize);
    if (!bytes) return std::nullopt;
    auto entry = parseDesktopEntry(*bytes);
    if (entry && !entry->type.empty() && entry->type != "Application") return std::nullopt;
    return entry;
}

std::map<std::string, Found> entriesIn(const std::string& folder) {
    std::map<std::string, Found> found;
    if (folder.empty()) return found;
    for (const std::string& name : folderEntryNames(folder)) {
        if (!isEntryName(name)) continue;
        std::string path = appendingPathComponent(folder, name);
        if (auto entry = readEntry(path)) found.emplace(name, Found{std::move(path), std::move(*entry)});
    }
    return found;
}

bool turnsItselfOff(const DesktopEntry& entry) {
    return entry.hidden || entry.gnomeAutostartEnabled == false;
}

} // namespace

std::string autostartOverrideText() { return "[Desktop Entry]\nType=Application\nHidden=true\n"; }

bool isAutostartOverride(const DesktopEntry& entry) { return entry.hidden; }

std::vector<AutostartDefinition> autostartDefinitions(const std::string& userFolder,
                                                      const std::vector<std::string>& systemFolders) {
    std::map<std::string, Found> user = entriesIn(userFolder);
    std::map<std::string, AutostartDefinition> system;
    for (const std::string& folder : systemFolders) {
        for (auto& [name, found] : entriesIn(folder)) {
            if (system.count(name)) continue;
            AutostartDefinition definition{name, std::move(found.path), StartupItem::Source::systemAgent,
                                           std::move(found.entry), false};
            system.emplace(name, std::move(definition));
        }
    }

    std::vector<AutostartDefinition> definitions;
    for (auto& [name, found] : user) {
        const auto below = system.find(name);
        if (below != system.end() && isAutostartOverride(found.entry)) {
            // The user turned the system-wide entry off: it is listed, turned off.
            below->second.turnedOff = true;
            continue;
        }
        if (below != system.end()) system.erase(below);
        const bool off = turnsItselfOff(found.entry);
        definitions.push_back({name, std::move(found.path), StartupItem::Source::loginItem, std::move(found.entry), off});
    }
    for (auto& [name, definition] : system) {
        if (turnsItselfOff(definition.entry)) continue;
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

} // namespace plenwick
