#pragma once
// Case and diacritic folding of names for the outline's search: canonical
// decomposition, combining marks dropped, then Unicode case folding. Any thread.

#include "outline/OutlineNameMatcher.h"

namespace plenwick {

class UnicodeTextFolding final : public TextFolding {
public:
    std::string fold(std::string_view text) const override;
};

} // namespace plenwick
