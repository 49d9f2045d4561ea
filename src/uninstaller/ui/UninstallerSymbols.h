#pragma once
// The drawn symbols of the uninstaller's sections.

#include "uninstaller/Remnant.h"

#include "shell/Symbols.h"

namespace plenwick {

Symbol remnantKindSymbol(Remnant::Kind kind);

} // namespace plenwick
