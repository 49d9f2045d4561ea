#include "startup/OwningApp.h"

namespace plenwick {

// Until the reading of the Linux app kinds lands, no program is known to lie in an app.
std::optional<OwningApp> appOwningProgram(const std::string&) { return std::nullopt; }

} // namespace plenwick
