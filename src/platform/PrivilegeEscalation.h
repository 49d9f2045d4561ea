#pragma once
// Running a shell script or a program as root: pkexec, whose authentication agent
// asks for the password. A script is one argument of /bin/sh -c, never re-quoted by
// us; a program gets its arguments as they are.

#include <string>
#include <vector>

namespace plenwick {

// pkexec's status when the user dismissed the authentication dialog.
constexpr int escalationDismissedStatus = 126;
// pkexec's status when authorisation could not be obtained.
constexpr int escalationRefusedStatus = 127;

// The arguments after the tool (privilegeEscalationToolPath): "/bin/sh", "-c", script.
std::vector<std::string> elevatedShellArguments(const std::string& script);
// The arguments after the tool for a program (an absolute path) and its arguments.
std::vector<std::string> elevatedProgramArguments(const std::string& program,
                                                  const std::vector<std::string>& arguments);

} // namespace plenwick
