#pragma once
// Moves a list of items to the Trash in one call: stops and disables the user's
// service units first, moves what the user may move, and gathers what needs root
// (the system's service units among it) into one administrator step.

#include "base/ToolPaths.h"
#include "services/AdminScript.h"
#include "services/ProgramRunner.h"

#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace plenwick {

// What a call uses of the system; tests substitute each part.
struct ItemTrasherEnvironment {
    ProgramRunner* runner = nullptr;   // runs systemctl; systemProgramRunner() when null
    AdminProgramRunner adminMove;      // AdminScript::runProgram when empty
    std::string adminMoveProgram;      // adminMoveProgramPath() when empty
    std::string systemctl = systemctlToolPath;
};

// $XDG_CONFIG_HOME/systemd/user: the user's own service units.
std::string userUnitFolder();
// systemctl's arguments that stop and disable the user's unit defined by `unitFile`:
// "--user disable --now -- <unit>".
std::vector<std::string> userUnitStopArguments(const std::string& unitFile);

class ItemTrasher {
public:
    struct Failure {
        std::string url;
        std::string message;
        bool operator==(const Failure&) const = default;
    };
    struct Result {
        std::vector<std::string> trashed; // moved directly, then by the administrator step
        // Direct failures, then those of the administrator step; last, the items of
        // `trashed` that the step could not wholly give to the user, which the user reads
        // about as well.
        std::vector<Failure> failures;
    };
    using Environment = ItemTrasherEnvironment;

    // Never throws: every problem becomes a failure entry. Blocks the caller.
    static Result trash(const std::vector<std::string>& urls,
                        const std::optional<std::string>& prompt = std::nullopt,
                        const Environment& environment = {});

    // One line "<file name>: <message>" per failure; nothing for no failures.
    static std::optional<std::string> failureSummary(const std::vector<Failure>& failures);

    // Whether the error means the user lacked the rights (EACCES, EPERM).
    static bool isPermissionError(const std::error_code& error);

    // The prompt used when the caller gives none.
    static std::string defaultPrompt(const std::vector<std::string>& queued);

    static const char* const adminMoveFailedMessage;
    // Followed by the reason.
    static const char* const partlyHandedOverMessage;
    static const char* const pathTooLongMessage;
};

} // namespace plenwick
