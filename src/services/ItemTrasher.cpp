#include "services/ItemTrasher.h"

#include "base/PathNames.h"
#include "platform/Trash.h"
#include "platform/TrashName.h"
#include "services/AdminMoveScript.h"

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

bool exists(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) return true;
    char target[1];
    return readlink(path.c_str(), target, sizeof target) >= 0; // a dangling link is still moved
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

struct Queued {
    std::string url;
    std::string reservedName; // empty when the item failed before reaching the script
    std::string failure;
};

// Moves the queued items with one administrator script into the home Trash, whose
// .trashinfo files this process writes beforehand (they reserve the names).
void runAdministratorStep(const std::vector<std::string>& queue, const std::string& prompt,
                          const ItemTrasher::Environment& env, ItemTrasher::Result& result) {
    std::vector<Queued> items;
    for (const std::string& url : queue) items.push_back({url, {}, {}});

    TrashDirectory trash;
    try {
        trash = homeTrash();
    } catch (const std::system_error& e) {
        for (const Queued& item : items) result.failures.push_back({item.url, e.code().message()});
        return;
    }
    struct stat trashStat {};
    const bool trashKnown = stat(trash.filesFolder().c_str(), &trashStat) == 0;

    std::vector<AdminMove> moves;
    std::vector<std::size_t> moveItem; // index into items for each move
    for (std::size_t i = 0; i < items.size(); ++i) {
        struct stat st {};
        if (lstat(items[i].url.c_str(), &st) == 0 && trashKnown && st.st_dev != trashStat.st_dev) {
            items[i].failure = errorText(EXDEV); // never copied across file systems
            continue;
        }
        try {
            items[i].reservedName = reserveTrashName(trash, items[i].url);
        } catch (const std::system_error& e) {
            items[i].failure = e.code().message();
            continue;
        }
        moves.push_back({items[i].url, trash.filesFolder() + "/" + items[i].reservedName,
                         isPropertyListIn(items[i].url, "LaunchDaemons")});
        moveItem.push_back(i);
    }

    if (!moves.empty()) {
        const std::string script = adminMoveScript(moves, getuid(), getgid(), trash.filesFolder(), env.tools);
        try {
            const std::string output =
                env.adminScript ? env.adminScript(script, prompt) : AdminScript::run(script, prompt);
            for (std::size_t failed : failedMoveIndices(output))
                if (failed < moveItem.size()) items[moveItem[failed]].failure = ItemTrasher::adminMoveFailedMessage;
        } catch (const AdminScript::Failure& failure) {
            for (std::size_t index : moveItem) items[index].failure = failure.errorDescription();
        }
    }

    for (const Queued& item : items) {
        if (item.failure.empty()) {
            result.trashed.push_back(item.url);
            continue;
        }
        if (!item.reservedName.empty()) releaseTrashName(trash, item.reservedName);
        result.failures.push_back({item.url, item.failure});
    }
}

} // namespace

std::string ItemTrasher::defaultPrompt(const std::vector<std::string>& queued) {
    if (queued.size() == 1)
        return "Plenwick needs your password to move “" + lastPathComponent(queued.front()) + "” to the Trash.";
    return "Plenwick needs your password to move " + std::to_string(queued.size()) +
           " items owned by the system to the Trash.";
}

std::string ItemTrasher::uniqueTrashDestination(const std::string& name, const std::string& trashFolder,
                                                std::set<std::string>& chosen) {
    const auto free = takeFreeTrashName(name, [&](const std::string& candidate) {
        struct stat st {};
        return !chosen.count(candidate) && lstat((trashFolder + "/" + candidate).c_str(), &st) != 0;
    });
    if (!free) throw std::system_error(EEXIST, std::generic_category(), "trash name");
    chosen.insert(*free);
    return *free;
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
        if (!exists(url)) continue;
        const bool agent = isPropertyListIn(url, "LaunchAgents");
        const bool daemon = isPropertyListIn(url, "LaunchDaemons");
        // Unload the job before its property list goes; a job not loaded fails harmlessly.
        if (agent) runner.run(environment.tools.launchctl, {"bootout", "gui/" + uid, url});
        else if (daemon) runner.run(environment.tools.launchctl, {"bootout", "system", url});
        try {
            moveToTrash(url);
            result.trashed.push_back(url);
        } catch (const std::system_error& e) {
            if (isPermissionError(e.code()) || (daemon && access(parentPath(url).c_str(), W_OK) != 0))
                queue.push_back(url);
            else
                result.failures.push_back({url, e.code().message()});
        }
    }
    if (queue.empty()) return result;
    runAdministratorStep(queue, prompt ? *prompt : defaultPrompt(queue), environment, result);
    return result;
}

std::string trashItem(const std::string& url) {
    return moveToTrash(url);
}

} // namespace plenwick
