#include "startup/SystemctlQueries.h"

#include <algorithm>
#include <future>

namespace plenwick {
namespace {

// The line's fields, split at blanks and tabs.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = line.size();
        found.push_back(line.substr(start, end - start));
        at = end;
    }
    return found;
}

template <class Each>
void forEachLine(std::string_view text, Each each) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        each(text.substr(start, end - start));
        start = end + 1;
    }
}

bool isServiceName(std::string_view name) {
    constexpr std::string_view suffix = ".service";
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

bool isStatusMark(std::string_view field) { return field == "●" || field == "*" || field == "×"; }

} // namespace

std::map<std::string, std::string> parseListUnitFiles(std::string_view output) {
    std::map<std::string, std::string> states;
    forEachLine(output, [&states](std::string_view line) {
        const auto parts = fields(line);
        if (parts.size() < 2 || !isServiceName(parts[0])) return;
        states.emplace(std::string(parts[0]), std::string(parts[1]));
    });
    return states;
}

std::map<std::string, std::string> parseListUnits(std::string_view output) {
    std::map<std::string, std::string> states;
    forEachLine(output, [&states](std::string_view line) {
        auto parts = fields(line);
        if (!parts.empty() && isStatusMark(parts[0])) parts.erase(parts.begin());
        // UNIT LOAD ACTIVE SUB DESCRIPTION…
        if (parts.size() < 4 || !isServiceName(parts[0])) return;
        states.emplace(std::string(parts[0]), std::string(parts[2]));
    });
    return states;
}

std::vector<std::string> systemctlArguments(ServiceScope scope, const std::vector<std::string>& command,
                                            const std::vector<std::string>& units) {
    std::vector<std::string> arguments;
    if (scope == ServiceScope::user) arguments.emplace_back("--user");
    arguments.insert(arguments.end(), command.begin(), command.end());
    arguments.emplace_back("--");
    arguments.insert(arguments.end(), units.begin(), units.end());
    return arguments;
}

ServiceStates ServiceStates::query(ProgramRunner& runner, ServiceScope scope, const std::vector<std::string>& unitFiles,
                                   const std::vector<std::string>& units) {
    ServiceStates states;
    // Without a running manager systemctl works out each unit file's state itself, a
    // millisecond or more apiece: a long list is asked about in batches, and all of
    // them and the activity query run at once.
    const auto start = [&runner, scope](std::vector<std::string> command, std::vector<std::string> names) {
        return std::async(std::launch::async, [&runner, scope, command = std::move(command), names = std::move(names)] {
            return runner.run(systemctlToolPath, systemctlArguments(scope, command, names));
        });
    };
    std::vector<std::future<ProcessResult>> batches;
    for (std::size_t first = 0; first < unitFiles.size(); first += unitFileBatch) {
        std::vector<std::string> batch(
            unitFiles.begin() + static_cast<std::ptrdiff_t>(first),
            unitFiles.begin() + static_cast<std::ptrdiff_t>(std::min(unitFiles.size(), first + unitFileBatch)));
        batches.push_back(
            start({"list-unit-files", "--type=service", "--no-legend", "--no-pager", "--plain"}, std::move(batch)));
    }
    std::optional<std::future<ProcessResult>> activity;
    if (!units.empty())
        activity = start({"list-units", "--type=service", "--all", "--no-legend", "--no-pager", "--plain"}, units);
    for (auto& batch : batches) {
        const ProcessResult result = batch.get();
        if (result.status != 0) continue;
        if (!states.unitFileStates) states.unitFileStates.emplace();
        states.unitFileStates->merge(parseListUnitFiles(result.output));
    }
    if (activity) {
        const ProcessResult result = activity->get();
        if (result.status == 0) states.activeStates = parseListUnits(result.output);
    }
    return states;
}

std::optional<bool> ServiceStates::isEnabled(const std::string& unitFile) const {
    if (!unitFileStates) return std::nullopt;
    const auto it = unitFileStates->find(unitFile);
    if (it == unitFileStates->end()) return std::nullopt;
    if (it->second == "enabled" || it->second == "enabled-runtime") return true;
    if (it->second == "disabled") return false;
    return std::nullopt;
}

std::optional<bool> ServiceStates::isRunning(const std::string& unit) const {
    if (!activeStates) return std::nullopt;
    const auto it = activeStates->find(unit);
    return it != activeStates->end() && (it->second == "active" || it->second == "reloading");
}

bool isSwitchableState(std::string_view state) {
    return state == "enabled" || state == "enabled-runtime" || state == "disabled";
}

} // namespace plenwick
