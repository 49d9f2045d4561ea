#pragma once
// Running a shell script as root: pkexec, whose authentication agent asks for the
// password. The script is one argument of /bin/sh -c, never re-quoted by us.

#include <string>
#include <vector>

namespace plenwick {

// pkexec's status when the user dismissed the authentication dialog.
constexpr int escalationDismissedStatus = 126;
// pkexec's status when authorisation could not be obtained.
constexpr int escalationRefusedStatus = 127;

// The arguments after the tool (privilegeEscalationToolPath): "/bin/sh", "-c", script.
std::vector<std::string> elevatedShellArguments(const std::string& script);

} // namespace plenwick
