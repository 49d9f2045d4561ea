#include "platform/PrivilegeEscalation.h"

#include "base/ToolPaths.h"

namespace plenwick {

std::vector<std::string> elevatedShellArguments(const std::string& script) {
    return {shellToolPath, "-c", script};
}

std::vector<std::string> elevatedProgramArguments(const std::string& program,
                                                  const std::vector<std::string>& arguments) {
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
}

} // namespace plenwick
