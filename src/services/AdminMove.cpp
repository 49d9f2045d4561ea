#include "services/AdminMove.h"

#include "base/PathNames.h"
#include "base/ToolPaths.h"
#include "platform/AdminTrashMove.h"
#include "platform/MainBundle.h"
#include "services/ProgramRunner.h"

#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace plenwick {

std::string adminMoveProgramPath(const std::string& runningBundle) {
    std::string bundle = runningBundle;
    const std::string loginItems = parentPath(bundle);
    const std::string library = parentPath(loginItems);
    if (lastPathComponent(loginItems) == "LoginItems" && lastPathComponent(library) == "Library" &&
        lastPathComponent(parentPath(library)) == "Contents")
        bundle = parentPath(parentPath(library));
    return appendingPathComponent(appendingPathComponent(bundle, "Contents/Helpers"), adminMoveProgramName);
}

std::string adminMoveProgramPath() {
    return adminMoveProgramPath(mainBundlePath());
}

std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items) {
    std::vector<std::string> arguments{homeTrash};
    arguments.insert(arguments.end(), items.begin(), items.end());
    return arguments;
}

std::vector<std::size_t> failedMoveIndices(const std::string& output) {
    std::vector<std::size_t> indices;
    std::size_t pos = 0;
    while (pos < output.size()) {
        auto end = output.find('\n', pos);
        if (end == std::string::npos) end = output.size();
        const std::string_view line(output.data() + pos, end - pos);
        if (line.size() > 5 && line.substr(0, 5) == "FAIL:" &&
            line.find_first_not_of("0123456789", 5) == std::string_view::npos && line.size() - 5 < 19)
            indices.push_back(std::stoull(std::string(line.substr(5))));
        pos = end + 1;
    }
    return indices;
}

int runAdminMove(const std::vector<std::string>& arguments, const char* pkexecUid, std::string& output,
                 std::string& errors) {
    // The user is the one pkexec says started us, never one named by the arguments.
    const std::string uidText = pkexecUid ? pkexecUid : "";
    if (uidText.empty() || uidText.size() > 9 || uidText.find_first_not_of("0123456789") != std::string::npos) {
        errors += "The administrator step must be started by pkexec.\n";
        return 1;
    }
    const uid_t uid = static_cast<uid_t>(std::stoul(uidText));
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        errors += "The user " + uidText + " is unknown.\n";
        return 1;
    }
    if (arguments.size() < 2) {
        errors += "Nothing to move.\n";
        return 1;
    }
    AdminTrashMoveOptions options;
    options.unloadDaemon = [](const std::string& propertyList) {
        runProcess(launchctlToolPath, {"bootout", "system", propertyList});
    };
    const std::vector<std::string> items(arguments.begin() + 1, arguments.end());
    const auto results = moveToTrashAsAdministrator(arguments[0], items, uid, found->pw_gid, options);
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i].error) {
            output += "FAIL:" + std::to_string(i) + "\n";
            errors += items[i] + ": " + std::strerror(results[i].error) + "\n";
        } else if (results[i].ownershipError) {
            errors += items[i] + ": moved, not all given to the user: " + std::strerror(results[i].ownershipError) +
                      "\n";
        }
    }
    return 0;
}

} // namespace plenwick
