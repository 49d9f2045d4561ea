#pragma once
// The folder chooser of the program: a modal file dialog that picks one folder.

#include "FolderChooser.h"

namespace plenwick {

class DialogFolderChooser final : public FolderChooser {
public:
    std::optional<std::string> chooseFolder() override;
};

} // namespace plenwick
