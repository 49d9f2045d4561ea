#pragma once
// The colour of each file category, used when nodes are coloured by kind.

#include "scanner/Color.h"
#include "scanner/FileCategory.h"

namespace plenwick {

RGB categoryColor(FileCategory category) noexcept;

} // namespace plenwick
