#pragma once
// Asks the user for a folder to scan. The program shows a file dialog; tests answer
// without one.

#include <optional>
#include <string>

namespace plenwick {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The chosen folder's path as raw bytes, or nothing when the user cancelled.
    virtual std::optional<std::string> chooseFolder() = 0;
};

} // namespace plenwick
