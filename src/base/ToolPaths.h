#pragma once
// Where the system tools Plenwick runs are installed. Always run by absolute path,
// never looked up in $PATH.

namespace plenwick {

inline constexpr const char* shellToolPath = "/bin/sh";
inline constexpr const char* moveToolPath = "/bin/mv";
inline constexpr const char* chownToolPath = "/bin/chown";
inline constexpr const char* systemctlToolPath = "/bin/systemctl";
inline constexpr const char* privilegeEscalationToolPath = "/usr/bin/pkexec";

} // namespace plenwick
