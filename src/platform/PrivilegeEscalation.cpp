#include "platform/PrivilegeEscalation.h"

#include "base/ToolPaths.h"

namespace plenwick {

std::vector<std::string> elevatedShellArguments(const std::string& script) {
    return {shellToolPath, "-c", script};
}

} // namespace plenwick
