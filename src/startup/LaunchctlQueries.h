#pragma once
// What the launch system says about its jobs: which labels it holds disabled or
// enabled, which it has loaded, and whether it knows one job. Every query runs
// /bin/launchctl through the program runner; a missing or failing tool gives empty
// answers, never an error.

#include "services/ProgramRunner.h"

#include "base/ToolPaths.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace plenwick {

// The launch system's own overrides of a domain, from "print-disabled".
struct LaunchdOverrides {
    std::set<std::string> disabled; // "disabled" or "true"
    std::set<std::string> enabled;  // "enabled" or "false"

    // The override wins over the property list's own Disabled key, either way.
    bool isDisabled(const std::optional<std::string>& label, bool disabledInPlist) const;
};

// Lines of the form `"label" => disabled`; other lines are skipped.
LaunchdOverrides parsePrintDisabled(std::string_view output);
// The third tab-separated field of every line after the header of "list".
std::set<std::string> parseLaunchctlList(std::string_view output);
// Whether "print <domain>/<label>" exits with status 0.
bool launchctlPrintSucceeds(ProgramRunner& runner, const std::string& label, const std::string& domain);

// The launch system's state as one scan uses it: the three set queries, run once.
struct LaunchdState {
    LaunchdOverrides userOverrides;   // the user's GUI domain
    LaunchdOverrides systemOverrides; // the system domain
    std::set<std::string> loaded;     // loaded in the user's domain

    // Runs "print-disabled gui/<uid>", "print-disabled system" and "list", in that order.
    static LaunchdState query(ProgramRunner& runner);
};

} // namespace plenwick
