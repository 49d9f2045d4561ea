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

// The program's arguments: the user's home Trash folder, then the items' paths.
std::vector<std::string> adminMoveArguments(const std::string& homeTrash, const std::vector<std::string>& items);

// The indices (0-based) reported failed in the program's output: one line
// "FAIL:<index>" each.
std::vector<std::size_t> failedMoveIndices(const std::string& output);

// The program itself: with `arguments` as above, moves the items as root for the
// user `pkexecUid` names (the invoking user, as pkexec tells it), writes a FAIL line
// per item that stayed to `output` and the reasons to `errors`. Its exit status:
// 0 once it has tried every item, 1 when it could not start on them.
int runAdminMove(const std::vector<std::string>& arguments, const char* pkexecUid, std::string& output,
                 std::string& errors);

} // namespace plenwick
