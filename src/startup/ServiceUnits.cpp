#include "startup/ServiceUnits.h"

#include "services/FolderEntries.h"
#include "services/RegularFile.h"

#include "base/PathNames.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> sortedEntries(const std::string& folder) {
    std::vector<std::string> names = folderEntryNames(folder);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> linkTarget(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

// What a folder entry named `name` is: the unit's own file (or a link to a file of
// the same name elsewhere, which links that unit in), or nothing to list (masked, an
// alias, unreadable, not a file).
std::optional<std::string> unitFileText(const std::string& path, const std::string& name) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
        const auto target = linkTarget(path);
        if (!target || *target == "/dev/null" || lastPathComponent(*target) != name) return std::nullopt;
    } else if (!S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    auto text = readRegularFile(path, maxUnitFileSize);
    // An empty file masks the unit as a link to /dev/null does.
    if (!text || text->empty()) return std::nullopt;
    return text;
}

// Configuration folders hold the links of what the user or the administrator enabled;
// the links in vendor folders are the packages' own fixed dependencies.
bool isVendorFolder(const std::string& folder) { return folder.rfind("/usr/", 0) == 0; }

bool isDependencyFolder(std::string_view name) {
    return endsWith(name, ".wants") || endsWith(name, ".requires") || endsWith(name, ".upholds");
}

} // namespace

std::vector<ServiceDefinition> serviceDefinitions(const std::vector<UnitFolder>& folders,
                                                  const std::optional<std::string>& home) {
    std::vector<ServiceDefinition> definitions;
    std::set<std::string> seen;
    std::map<std::string, ServiceDefinition> templates;
    for (const UnitFolder& folder : folders) {
        for (const std::string& name : sortedEntries(folder.path)) {
            if (!endsWith(name, ".service") || !seen.insert(name).second) continue;
            const std::string path = appendingPathComponent(folder.path, name);
            const auto text = unitFileText(path, name);
            if (!text) continue;
            ServiceDefinition definition{name, name, path, folder.source, parseUnitFile(*text, home)};
            if (isTemplateName(name)) templates.emplace(name, std::move(definition));
            else definitions.push_back(std::move(definition));
        }
    }
    if (templates.empty()) return definitions;

    for (const UnitFolder& folder : folders) {
        if (isVendorFolder(folder.path)) continue;
        for (const std::string& place : sortedEntries(folder.path)) {
            if (!isDependencyFolder(place)) continue;
            const std::string placePath = appendingPathComponent(folder.path, place);
            for (const std::string& name : sortedEntries(placePath)) {
                if (!isInstanceName(name)) continue;
                const auto it = templates.find(templateOf(name));
                if (it == templates.end() || !seen.insert(name).second) continue;
                ServiceDefinition instance = it->second;
                instance.unit = name;
                instance.path = appendingPathComponent(placePath, name);
                instance.enabledByLink = true;
                definitions.push_back(std::move(instance));
            }
        }
    }
    for (const auto& [name, definition] : templates) {
        if (!definition.file.defaultInstance) continue;
        std::string unit = instanceOf(name, *definition.file.defaultInstance);
        if (!seen.insert(unit).second) continue;
        ServiceDefinition instance = definition;
        instance.unit = std::move(unit);
        definitions.push_back(std::move(instance));
    }
    return definitions;
}

} // namespace plenwick
