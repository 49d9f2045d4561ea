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
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

const char* const ItemTrasher::adminMoveFailedMessage = "Couldn’t be moved, even with administrator rights.";

namespace {

bool isPropertyListIn(const std::string& path, std::string_view folderName) {
    return nameExtension(lastPathComponent(path)) == "plist" && lastPathComponent(parentPath(path)) == folderName;
}

// Whether the item is a property list right inside `folder`.
bool isPropertyListDirectlyIn(const std::string& path, const std::string& folder) {
    return nameExtension(lastPathComponent(path)) == "plist" &&
           normalizedPathOrSelf(parentPath(path)) == normalizedPathOrSelf(folder);
}

// A launch agent whose job runs in the user's login domain: the user's own, or one
// of the system-wide agents. A folder elsewhere that happens to have that name is not.
bool isLoginDomainAgent(const std::string& path) {
    return isPropertyListDirectlyIn(path, homePath("Library/LaunchAgents")) ||
           isPropertyListDirectlyIn(path, "/Library/LaunchAgents");
}

// A system launch daemon: its job can only be unloaded by the administrator step.
bool isSystemDaemon(const std::string& path) {
    return isPropertyListDirectlyIn(path, systemDaemonFolder);
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// Moves the queued items with one run of the administrator program into the home
// Trash (or the Trash of their own mount), which the program reaches without
// following links; each failed item is reported by its index.
void runAdministratorStep(const std::vector<std::string>& queue, const std::string& prompt,
                          const ItemTrasher::Environment& env, ItemTrasher::Result& result) {
    std::vector<std::string> failures(queue.size());
    std::string homeTrashPath;
    try {
        homeTrashPath = canonicalItemPath(homeTrash().path);
    } catch (const std::system_error& e) {
        for (const std::string& url : queue) result.failures.push_back({url, e.code().message()});
        return;
    }
    // The program refuses any path through a link, so it gets each item's real folder.
    std::vector<std::string> paths;
    std::vector<std::size_t> sent; // index into queue for each path
    for (std::size_t i = 0; i < queue.size(); ++i) {
        try {
            paths.push_back(canonicalItemPath(queue[i]));
            sent.push_back(i);
        } catch (const std::system_error& e) {
            failures[i] = e.code().message();
        }
    }

    if (!paths.empty()) {
        const std::string program = env.adminMoveProgram.empty() ? adminMoveProgramPath() : env.adminMoveProgram;
        const std::vector<std::string> arguments = adminMoveArguments(homeTrashPath, paths);
        try {
            const std::string output = env.adminMove ? env.adminMove(program, arguments, prompt)
                                                     : AdminScript::runProgram(program, arguments, prompt);
            for (std::size_t failed : failedMoveIndices(output))
                if (failed < sent.size()) failures[sent[failed]] = ItemTrasher::adminMoveFailedMessage;
        } catch (const AdminScript::Failure& failure) {
            for (std::size_t index : sent) failures[index] = failure.errorDescription();
        }
    }

    for (std::size_t i = 0; i < queue.size(); ++i) {
        if (failures[i].empty()) result.trashed.push_back(queue[i]);
        else result.failures.push_back({queue[i], failures[i]});
    }
}

} // namespace

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
    const std::string uid = std::to_string(getuid());
    Result result;
    std::vector<std::string> queue;

    for (const std::string& url : urls) {
        struct stat st {};
        if (lstatAnyLength(url, st) != 0) { // a dangling link is still moved
            result.failures.push_back({url, errorText(errno)});
            continue;
        }
        // A system daemon's job is unloaded by the administrator step, which moves its list.
        if (isSystemDaemon(url)) {
            queue.push_back(url);
            continue;
        }
        // Unload the job before its property list goes; a job not loaded fails harmlessly.
        if (isLoginDomainAgent(url)) runner.run(environment.launchctl, {"bootout", "gui/" + uid, url});
        try {
            moveToTrash(url);
            result.trashed.push_back(url);
        } catch (const std::system_error& e) {
            if (isPermissionError(e.code()) ||
                (isPropertyListIn(url, "LaunchDaemons") && access(parentPath(url).c_str(), W_OK) != 0))
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
