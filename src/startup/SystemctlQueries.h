#pragma once
// What the service manager says about services: each unit file's enablement
// ("list-unit-files") and each loaded unit's activity ("list-units"). systemctl runs
// through the program runner with the units asked about as arguments, which keeps it
// from working out the state of every other unit. A missing or failing tool, or no
// running manager, gives no answer, so the states stay unknown rather than wrong.

#include "services/ProgramRunner.h"

#include "base/ToolPaths.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// The system's manager, or the user's own (systemctl --user).
enum class ServiceScope { system, user };

// The STATE column ("enabled", "disabled", "static", "masked", …) by unit name.
// Lines that don't read as "<name>.service <state> …" are skipped.
std::map<std::string, std::string> parseListUnitFiles(std::string_view output);
// The ACTIVE column ("active", "inactive", "failed", …) by unit name; a leading
// status mark ("●", "*") is skipped, and so are lines of another shape.
std::map<std::string, std::string> parseListUnits(std::string_view output);

// The arguments of systemctl for `command` ("list-unit-files", "enable", …), its
// options and then the units, after "--" so no name is taken for an option.
std::vector<std::string> systemctlArguments(ServiceScope scope, const std::vector<std::string>& command,
                                            const std::vector<std::string>& units);

// One manager's answers for the units asked about.
struct ServiceStates {
    static constexpr std::size_t unitFileBatch = 40;

    std::optional<std::map<std::string, std::string>> unitFileStates; // none: no answer
    std::optional<std::map<std::string, std::string>> activeStates;   // none: no answer

    // Runs "list-unit-files" for `unitFiles` (in batches of `unitFileBatch`) and
    // "list-units --all" for `units`, all at once; asks nothing about an empty list.
    // A batch that fails leaves its units unknown.
    static ServiceStates query(ProgramRunner& runner, ServiceScope scope, const std::vector<std::string>& unitFiles,
                               const std::vector<std::string>& units);

    // Whether the unit file is enabled: none when the manager gave no answer for it.
    std::optional<bool> isEnabled(const std::string& unitFile) const;
    // Whether the unit runs now: none when the manager gave no answer at all.
    std::optional<bool> isRunning(const std::string& unit) const;
};

// Whether a state from "list-unit-files" is one of a unit that starts on its own
// when enabled: "enabled", "enabled-runtime" or "disabled".
bool isSwitchableState(std::string_view state);

} // namespace plenwick
