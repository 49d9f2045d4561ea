#include "services/AdminMove.h"

#include "base/PathNames.h"
#include "base/ToolPaths.h"
#include "platform/AdminRemove.h"
#include "platform/AdminTrashMove.h"
#include "platform/MainBundle.h"
#include "services/ProgramRunner.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
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

namespace {

constexpr std::string_view timeZoneOption = "--time-zone=";
constexpr std::string_view removeOption = "--remove";

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string reasonText(int error, const AdminTrashMoveResult& result) {
    if (result.mountInside) return "a mount point lies inside it";
    if (result.mountTopUnproved) return "the top folder of its mount could not be confirmed";
    return std::strerror(error);
}

// Deletes each file for the startup window; what stays is reported as the move
// reports it, and by a text the user reads.
int removeFiles(const std::vector<std::string>& paths, std::string& output, std::string& errors) {
    if (paths.empty()) {
        errors += "Nothing to delete.\n";
        return 1;
    }
    int status = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const AdminRemoveResult result = removeAsAdministrator(paths[i]);
        if (!result.error) continue;
        status = 1;
        output += "FAIL:" + std::to_string(i) + "\n";
        const std::string file = "Couldn’t delete “" + lastPathComponent(paths[i]) + "”: ";
        if (!result.notRoots.empty())
            errors += file + "the folder “" + result.notRoots + "” isn’t the administrator’s alone.\n";
        else if (result.error == ELOOP)
            errors += file + "a folder on its way is a link.\n";
        else
            errors += file + std::strerror(result.error) + "\n";
    }
    return status;
}

} // namespace

std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items,
                                            const std::string& timeZone) {
    std::vector<std::string> arguments;
    if (!timeZone.empty()) arguments.push_back(std::string(timeZoneOption) + timeZone);
    arguments.push_back(homeTrash);
    arguments.insert(arguments.end(), items.begin(), items.end());
    return arguments;
}

std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items) {
    return adminMoveArguments(homeTrash, items, userTimeZone());
}

bool isSafeTimeZone(const std::string& zone) {
    const std::string_view name = startsWith(zone, ":") ? std::string_view(zone).substr(1) : std::string_view(zone);
    if (name.empty() || name.size() > 255 || name[0] == '/' || name.find("..") != std::string_view::npos)
        return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view("_+-/.,:<>").find(c) == std::string_view::npos)
            return false;
    return true;
}

std::string userTimeZone() {
    if (const char* tz = std::getenv("TZ"); tz && isSafeTimeZone(tz)) return tz;
    char target[4096];
    const ssize_t length = ::readlink("/etc/localtime", target, sizeof target);
    if (length > 0) {
        const std::string_view link(target, static_cast<std::size_t>(length));
        const std::size_t at = link.find("zoneinfo/");
        if (at != std::string_view::npos) {
            const std::string zone(link.substr(at + 9));
            if (isSafeTimeZone(zone)) return zone;
        }
    }
    std::string zone;
    std::getline(std::ifstream("/etc/timezone"), zone);
    while (!zone.empty() && std::isspace(static_cast<unsigned char>(zone.back()))) zone.pop_back();
    return isSafeTimeZone(zone) ? zone : std::string();
}

std::vector<AdminMoveReport> adminMoveReports(const std::string& output) {
    // "<index>" of up to 18 digits, then the end of the line or `separator`.
    const auto index = [](std::string_view rest, std::size_t& value, std::size_t& length) {
        length = std::min(rest.find_first_not_of("0123456789"), rest.size());
        if (length == 0 || length > 18) return false;
        value = std::stoull(std::string(rest.substr(0, length)));
        return true;
    };
    std::vector<AdminMoveReport> reports;
    std::size_t pos = 0;
    while (pos < output.size()) {
        auto end = output.find('\n', pos);
        if (end == std::string::npos) end = output.size();
        const std::string_view line(output.data() + pos, end - pos);
        pos = end + 1;
        std::size_t value = 0, length = 0;
        if (startsWith(line, "FAIL:")) {
            if (index(line.substr(5), value, length) && length == line.size() - 5) reports.push_back({value, false, {}});
        } else if (startsWith(line, "PART:")) {
            const std::string_view rest = line.substr(5);
            if (index(rest, value, length) && length < rest.size() && rest[length] == ':')
                reports.push_back({value, true, std::string(rest.substr(length + 1))});
        }
    }
    return reports;
}

std::vector<std::string> adminRemoveArguments(const std::string& path) { return {std::string(removeOption), path}; }

std::vector<std::string> systemUnitStopArguments(const std::string& unitFile) {
    return {"disable", "--now", "--", lastPathComponent(unitFile)};
}

int runAdminMove(const std::vector<std::string>& arguments, const char* pkexecUid, std::string& output,
                 std::string& errors, const char* sudoUid) {
    // The user is the one pkexec says started us, never one named by the arguments;
    // and only root may start us: run through a setuid bit, the real user would choose.
    const std::string uidText = pkexecUid ? pkexecUid : "";
    if (::getuid() != 0 || uidText.empty() || uidText.size() > 9 ||
        uidText.find_first_not_of("0123456789") != std::string::npos || (sudoUid && uidText != sudoUid)) {
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
    std::size_t first = 0;
    bool remove = false;
    for (; first < arguments.size() && startsWith(arguments[first], "--"); ++first) {
        const std::string& option = arguments[first];
        if (option == removeOption) {
            remove = true;
            continue;
        }
        if (!startsWith(option, timeZoneOption)) {
            errors += "Ignored the option " + option + ".\n"; // one of a later caller
            continue;
        }
        const std::string zone = option.substr(timeZoneOption.size());
        if (!isSafeTimeZone(zone)) {
            errors += "Ignored the time zone " + zone + ".\n";
            continue;
        }
        ::setenv("TZ", zone.c_str(), 1);
        ::unsetenv("TZDIR");
        ::tzset();
    }
    if (remove) return removeFiles({arguments.begin() + static_cast<std::ptrdiff_t>(first), arguments.end()}, output, errors);
    if (arguments.size() - first < 2) {
        errors += "Nothing to move.\n";
        return 1;
    }
    AdminTrashMoveOptions options;
    options.stopUnit = [](const std::string& unitFile) { runProcess(systemctlToolPath, systemUnitStopArguments(unitFile)); };
    const std::vector<std::string> items(arguments.begin() + static_cast<std::ptrdiff_t>(first) + 1, arguments.end());
    const auto results = moveToTrashAsAdministrator(arguments[first], items, uid, found->pw_gid, options);
    for (std::size_t i = 0; i < results.size(); ++i) {
        const AdminTrashMoveResult& result = results[i];
        if (result.error) {
            output += "FAIL:" + std::to_string(i) + "\n";
            errors += items[i] + ": " + reasonText(result.error, result) + "\n";
        } else if (result.ownershipError) {
            // It left its place: the caller prunes it, and tells the user what stays root's.
            const std::string reason = reasonText(result.ownershipError, result);
            output += "PART:" + std::to_string(i) + ":" + reason + "\n";
            errors += items[i] + ": moved to the Trash, but not all of it could be given to the user: " + reason + "\n";
        }
    }
    return 0;
}

} // namespace plenwick
