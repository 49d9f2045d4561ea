#pragma once
// The shell script that moves items needing root into the user's Trash.

#include "base/ToolPaths.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace plenwick {

struct AdminMove {
    std::string source;         // the item's path
    std::string destination;    // the reserved path inside the Trash's files folder
    bool unloadDaemon = false;  // a launch daemon's property list: unload its job first
};

struct AdminMoveTools {
    std::string mv = moveToolPath;
    std::string chown = chownToolPath;
    std::string launchctl = launchctlToolPath;
};

// Quotes a string for the shell: single quotes, each ' written as '\''.
std::string shellQuote(const std::string& text);

// For each move: unload a daemon's job, move without overwriting into the reserved
// name, give it to uid:gid. A failed move prints "FAIL:<index>" (0-based), nothing
// else reaches standard output, and the script ends with "exit 0". A files folder
// that is not a real folder fails every move.
std::string adminMoveScript(const std::vector<AdminMove>& moves, uid_t uid, gid_t gid,
                            const std::string& trashFilesFolder, const AdminMoveTools& tools = {});

// The indices reported failed in the script's output.
std::vector<std::size_t> failedMoveIndices(const std::string& output);

} // namespace plenwick
