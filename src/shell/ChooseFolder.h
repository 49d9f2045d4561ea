#pragma once
// The open panel that asks for a folder or disk to scan.

#include <optional>
#include <string>

class QWidget;

namespace plenwick {

// Modal on the GUI thread; the chosen folder's path as raw bytes, or nothing when
// the user cancelled. Application bundles are folders here, so one can be chosen.
std::optional<std::string> chooseFolderToScan(QWidget* parent = nullptr);

} // namespace plenwick
