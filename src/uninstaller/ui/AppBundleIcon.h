#pragma once
// The picture of an application bundle. Linux keeps no icon for a bundle, so it is
// the image the bundle's Info.plist names (CFBundleIconFile in Contents/Resources,
// in a format Qt reads), else the desktop's generic application icon.

#include <QIcon>

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

QIcon genericApplicationIcon();
// The bundle's own image, or nothing.
std::optional<QIcon> bundleImage(const std::string& bundlePath);
// The first candidate that exists gives the icon (its own image, else the generic
// one); with none, the generic application icon.
QIcon appBundleIcon(const std::vector<std::string>& candidates);

} // namespace plenwick
