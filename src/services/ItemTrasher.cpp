#include "services/ItemTrasher.h"

#include "base/HomeDirectory.h"
#include "base/LongPaths.h"
#include "base/PathNames.h"
#include "platform/AdminTrashMove.h"
#include "platform/Trash.h"
#include "platform/TrashName.h"
#include "services/AdminMove.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace plenwick {

const char* const ItemTrasher::adminMoveFailedMessage = "Couldn’t be moved, even with administrator rights.";
const char* const ItemTrasher::partlyHandedOverMessage =
    "Moved to the Trash, but part of it still belongs to the administrator: ";
const char* const ItemTrasher::pathTooLongMessage = "Its path is too long to hand to the administrator.";

namespace {

bool isServiceUnit(const std::string& path) { return nameExtension(lastPathComponent(path)) == "service"; }

// Whether the item is a service unit right inside `folder`.
bool isUnitDirectlyIn(const std::string& path, const std::string& folder) {
    return isServiceUnit(path) && normalizedPathOrSelf(parentPath(path)) == normalizedPathOrSelf(folder);
}

// A unit of the user's own service manager. A folder elsewhere that happens to have
// that name is not one.
bool isUserUnit(const std::string& path) { return isUnitDirectlyIn(path, userUnitFolder()); }

// A unit of the system's manager: only the administrator step can stop it.
bool isSystemUnit(const std::string& path) { return isUnitDirectlyIn(path, systemUnitFolder); }

// A unit in a folder named like the system's ("…/systemd/system"), which the user
// may not write.
bool looksLikeSystemUnit(const std::string& path) {
    const std::string folder = parentPath(path);
    return isServiceUnit(path) && lastPathComponent(folder) == "system" &&
           lastPathComponent(parentPath(folder)) == "systemd";
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// The longest single argument the kernel passes to a program (MAX_ARG_STRLEN, 32
// pages, its terminator included).
std::size_t longestArgument() {
    const long page = ::sysconf(_SC_PAGESIZE);
    return 32 * static_cast<std::size_t>(page > 0 ? page : 4096);
}

// What an argument takes of the kernel's room for a program's start: its bytes, its
// terminator and its pointer.
std::size_t argumentCost(const std::string& argument) { return argument.size() + 1 + sizeof(char*); }

// The room for pkexec's arguments (ARG_MAX), less our environment, which it starts
// with, and a margin.
std::size_t argumentRoom() {
    const long limit = ::sysconf(_SC_ARG_MAX);
    std::size_t room = limit > 0 ? static_cast<std::size_t>(limit) : 131072;
    for (char** variable = environ; *variable; ++variable) {
        const std::size_t cost = std::strlen(*variable) + 1 + sizeof(char*);
        room = room > cost ? room - cost : 0;
    }
    constexpr std::size_t margin = 16384;
    return room > margin ? room - margin : 0;
}

// Moves the queued items with the administrator program into the home Trash (or the
// Trash of their own mount), which the program reaches without following links. The
// items go in one run, or in as few as the kernel's limit on a program's arguments
// allows; a path too long to pass at all fails alone. An item the program reports
// moved but not wholly handed over is in the Trash, and the user reads what stayed.
void runAdministratorStep(const std::vector<std::string>& queue, const std::string& prompt,
                          const ItemTrasher::Environment& env, ItemTrasher::Result& result) {
    std::vector<std::string> failures(queue.size()), notes(queue.size());
    std::string homeTrashPath;
    try {
        homeTrashPath = canonicalItemPath(homeTrash().path);
    } catch (const std::system_error& e) {
        for (const std::string& url : queue) result.failures.push_back({url, e.code().message()});
        return;
    }
    const std::string program = env.adminMoveProgram.empty() ? adminMoveProgramPath() : env.adminMoveProgram;
    const std::vector<std::string> fixed = adminMoveArguments(homeTrashPath, {});
    std::size_t fixedCost = argumentCost(privilegeEscalationToolPath) + argumentCost(program);
    for (const std::string& argument : fixed) fixedCost += argumentCost(argument);
    const std::size_t room = argumentRoom();

    // The program refuses any path through a link, so it gets each item's real folder.
    struct Batch {
        std::vector<std::string> paths;
        std::vector<std::size_t> items; // index into queue for each path
        std::size_t cost = 0;
    };
    std::vector<Batch> batches;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        std::string path;
        try {
            path = canonicalItemPath(queue[i]);
        } catch (const std::system_error& e) {
            failures[i] = e.code().message();
            continue;
        }
        const std::size_t cost = argumentCost(path);
        if (path.size() + 1 > longestArgument() || fixedCost + cost > room) {
            failures[i] = ItemTrasher::pathTooLongMessage;
            continue;
        }
        if (batches.empty() || fixedCost + batches.back().cost + cost > room) batches.emplace_back();
        batches.back().paths.push_back(std::move(path));
        batches.back().items.push_back(i);
        batches.back().cost += cost;
    }

    std::optional<std::string> stopped; // once a run fails or is cancelled, no further one is asked for
    for (const Batch& batch : batches) {
        if (!stopped) {
            try {
                const std::vector<std::string> arguments = adminMoveArguments(homeTrashPath, batch.paths);
                const std::string output = env.adminMove ? env.adminMove(program, arguments, prompt)
                                                         : AdminScript::runProgram(program, arguments, prompt);
                for (const AdminMoveReport& report : adminMoveReports(output)) {
                    if (report.index >= batch.items.size()) continue;
                    const std::size_t item = batch.items[report.index];
                    if (report.moved) notes[item] = ItemTrasher::partlyHandedOverMessage + report.reason;
                    else failures[item] = ItemTrasher::adminMoveFailedMessage;
                }
                continue;
            } catch (const AdminScript::Failure& failure) {
                stopped = failure.errorDescription();
            }
        }
        for (std::size_t item : batch.items) failures[item] = *stopped;
    }

    for (std::size_t i = 0; i < queue.size(); ++i) {
        if (!failures[i].empty()) {
            result.failures.push_back({queue[i], failures[i]});
            continue;
        }
        result.trashed.push_back(queue[i]);
    }
    for (std::size_t i = 0; i < queue.size(); ++i)
        if (failures[i].empty() && !notes[i].empty()) result.failures.push_back({queue[i], notes[i]});
}

} // namespace

std::string userUnitFolder() { return appendingPathComponent(xdgConfigHome(), "systemd/user"); }

std::vector<std::string> userUnitStopArguments(const std::string& unitFile) {
    return {"--user", "disable", "--now", "--", lastPathComponent(unitFile)};
}

std::string ItemTrasher::defaultPrompt(const std::vector<std::string>& queued) {
    if (queued.size() == 1)
        return "Plenwick needs your password to move “" + lastPathComponent(queued.front()) + "” to the Trash.";
    return "Plenwick needs your password to move " + std::to_string(queued.size()) +
           " items owned by the system to the Trash.";
}

bool ItemTrasher::isPermissionError(const std::error_code& error) {
    return error.category() == std::generic_category() && (error.value() == EACCES || error.value() == EPERM);
}

std::optional<std::string> ItemTrasher::failureSummary(const std::vector<Failure>& failures) {
    if (failures.empty()) return std::nullopt;
    std::string summary;
    for (std::size_t i = 0; i < failures.size(); ++i) {
        if (i) summary += '\n';
        summary += lastPathComponent(failures[i].url) + ": " + failures[i].message;
    }
    return summary;
}

ItemTrasher::Result ItemTrasher::trash(const std::vector<std::string>& urls, const std::optional<std::string>& prompt,
                                       const Environment& environment) {
    ProgramRunner& runner = environment.runner ? *environment.runner : systemProgramRunner();
    Result result;
    std::vector<std::string> queue;

    for (const std::string& url : urls) {
        struct stat st {};
        if (lstatAnyLength(url, st) != 0) { // a dangling link is still moved
            result.failures.push_back({url, errorText(errno)});
            continue;
        }
        // A system unit is stopped and disabled by the administrator step, which moves it.
        if (isSystemUnit(url)) {
            queue.push_back(url);
            continue;
        }
        // Stop and disable a user unit before its file goes; one that isn't loaded or
        // enabled fails harmlessly, and the move goes ahead either way. A link is
        // another unit's name (an alias): stopping it would stop that unit.
        if (isUserUnit(url) && !S_ISLNK(st.st_mode)) runner.run(environment.systemctl, userUnitStopArguments(url));
        try {
            moveToTrash(url);
            result.trashed.push_back(url);
        } catch (const std::system_error& e) {
            if (isPermissionError(e.code()) ||
                (looksLikeSystemUnit(url) && access(parentPath(url).c_str(), W_OK) != 0))
                queue.push_back(url);
            else
                result.failures.push_back({url, e.code().message()});
        }
    }
    if (queue.empty()) return result;
    runAdministratorStep(queue, prompt ? *prompt : defaultPrompt(queue), environment, result);
    return result;
}

} // namespace plenwick
