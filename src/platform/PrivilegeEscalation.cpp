#include "platform/PrivilegeEscalation.h"

namespace plenwick {

std::vector<std::string> elevatedShellArguments(const std::string& script) {
    return {"/bin/sh", "-c", script};
}

} // namespace plenwick
