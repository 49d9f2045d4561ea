#include "startup/LaunchctlQueries.h"

#include "startup/StartupItem.h"

#include <vector>

namespace plenwick {
namespace {

std::vector<std::string_view> nonEmptyLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string_view trimmed(std::string_view text, std::string_view characters) {
    const auto first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

constexpr std::string_view blanks = " \t";

} // namespace

bool LaunchdOverrides::isDisabled(const std::optional<std::string>& label, bool disabledInPlist) const {
    if (label) {
        if (disabled.count(*label)) return true;
        if (enabled.count(*label)) return false;
    }
    return disabledInPlist;
}

LaunchdOverrides parsePrintDisabled(std::string_view output) {
    LaunchdOverrides overrides;
    for (std::string_view line : nonEmptyLines(output)) {
        const auto arrow = line.find("=>");
        if (arrow == std::string_view::npos) continue;
        const std::string_view value = trimmed(line.substr(arrow + 2), blanks);
        std::set<std::string>* target = nullptr;
        if (value == "disabled" || value == "true") target = &overrides.disabled;
        else if (value == "enabled" || value == "false") target = &overrides.enabled;
        if (!target) continue;
        // Quotes and blanks trimmed together, so a key of nothing else counts as empty.
        const std::string_view key = trimmed(line.substr(0, arrow), " \t\"");
        if (!key.empty()) target->emplace(key);
    }
    return overrides;
}

std::set<std::string> parseLaunchctlList(std::string_view output) {
    std::set<std::string> labels;
    const auto lines = nonEmptyLines(output);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const auto firstTab = line.find('\t');
        if (firstTab == std::string_view::npos) continue;
        const auto secondTab = line.find('\t', firstTab + 1);
        if (secondTab == std::string_view::npos) continue;
        const auto thirdTab = line.find('\t', secondTab + 1);
        labels.emplace(line.substr(secondTab + 1, thirdTab == std::string_view::npos ? std::string_view::npos
                                                                                      : thirdTab - secondTab - 1));
    }
    return labels;
}

bool launchctlPrintSucceeds(ProgramRunner& runner, const std::string& label, const std::string& domain) {
    return runner.run(launchctlToolPath, {"print", domain + "/" + label}).status == 0;
}

LaunchdState LaunchdState::query(ProgramRunner& runner) {
    LaunchdState state;
    state.userOverrides = parsePrintDisabled(runner.run(launchctlToolPath, {"print-disabled", userLaunchDomain()}).output);
    state.systemOverrides = parsePrintDisabled(runner.run(launchctlToolPath, {"print-disabled", "system"}).output);
    state.loaded = parseLaunchctlList(runner.run(launchctlToolPath, {"list"}).output);
    return state;
}

} // namespace plenwick
