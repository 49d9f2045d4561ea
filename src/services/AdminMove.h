#pragma once
// The administrator step of moving items to the Trash as the caller sees it: the
// program of ours that pkexec starts, the arguments it takes and what it reports.

#include <cstddef>
#include <string>
#include <vector>

namespace plenwick {

// The program's name and its place in the main bundle.
inline constexpr const char* adminMoveProgramName = "PlenwickAdminMove";
// <bundle>/Contents/Helpers/PlenwickAdminMove, where <bundle> is `runningBundle`, or
// the main bundle holding it when it is the login item inside
// <main>/Contents/Library/LoginItems/.
std::string adminMoveProgramPath(const std::string& runningBundle);
// The same for the running program's bundle.
std::string adminMoveProgramPath();

// The program's arguments: options, then the user's home Trash folder, then the
// items' paths. Paths are absolute, so an argument before them that starts with "--"
// is an option: "--time-zone=<zone>" names the zone the info files' DeletionDate is
// written in (pkexec passes no TZ). An empty `timeZone` leaves it out.
std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items,
                                            const std::string& timeZone);
// The same with the user's own time zone, `userTimeZone()`.
std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items);

// The user's time zone as the program takes it: TZ when it is set and safe to pass,
// else the zone /etc/localtime (or /etc/timezone) names; empty when neither tells.
std::string userTimeZone();
// Whether `zone` may be handed to the C library as root: a zone name below the system's
// zone folder or a POSIX rule, never a path of its own choosing.
bool isSafeTimeZone(const std::string& zone);

// What the program reports of one item (by its index among the items, 0-based):
// that it stayed where it was, or that it reached the Trash but part of it still
// belongs to root, for `reason`.
struct AdminMoveReport {
    std::size_t index = 0;
    bool moved = false;
    std::string reason; // for a moved item
    bool operator==(const AdminMoveReport&) const = default;
};
// The program's result lines: "FAIL:<index>" for an item that stayed (its reason goes
// to the error output), "PART:<index>:<reason>" for one that moved but could not be
// wholly given to the user. Anything else is passed over.
std::vector<AdminMoveReport> adminMoveReports(const std::string& output);

// systemctl's arguments that stop and disable the system's unit defined by
// `unitFile` before it moves: "disable --now -- <unit>".
std::vector<std::string> systemUnitStopArguments(const std::string& unitFile);

// The program's arguments that delete one file as root instead (the startup window's
// removal of a system-wide definition): "--remove <path>". The file goes only through
// descriptors, no link followed, and only while every folder on its way is root's.
std::vector<std::string> adminRemoveArguments(const std::string& path);

// The program itself: with `arguments` as above, moves the items as root for the
// user `pkexecUid` names (the invoking user, as pkexec tells it), writes a result line
// to `output` for each item that stayed or could not all be given to the user, and a
// line "<path>: <reason>" for each to `errors`. It refuses to start unless its real user
// is root and `pkexecUid` is given, so a setuid bit never makes it act for the one
// who ran it; run by sudo (`sudoUid`, its SUDO_UID, which pkexec never passes on), it
// acts only for the one who ran sudo, whatever PKEXEC_UID a rule lets through. A time
// zone option sets TZ for the rest of the process. Its exit status: 0 once it has tried
// every item, 1 when it could not start on them. With "--remove" it deletes the files
// that follow instead, and exits with 1 when one stayed, its reason in `errors`.
int runAdminMove(const std::vector<std::string>& arguments, const char* pkexecUid, std::string& output,
                 std::string& errors, const char* sudoUid = nullptr);

} // namespace plenwick
