#pragma once
// The picture of an application bundle. Linux keeps no icon for a bundle, so it is
// the image the bundle's Info.plist names (CFBundleIconFile in Contents/Resources,
// in a format Qt reads), else the desktop's generic application icon. The bundle may
// be anybody's (an app just trashed, say), so its image is read off the GUI thread,
// only from a regular file within a size cap, without blocking.

#include <QIcon>
#include <QImage>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace plenwick {

// Largest image file read; a larger one counts as no image.
constexpr std::size_t maxBundleImageSize = 16 * 1024 * 1024;

// GUI thread.
QIcon genericApplicationIcon();
// The bundle's own image, or nothing. Any thread.
std::optional<QImage> bundleImage(const std::string& bundlePath);
// The image of the first candidate that exists; nothing when that one has none or
// none exists. Any thread.
std::optional<QImage> appBundleImage(const std::vector<std::string>& candidates);
// The icon of a loaded image: the image, else the generic icon. GUI thread.
QIcon appBundleIcon(const std::optional<QImage>& image);
// Reads the candidates' image in the background and hands its icon to `deliver` on
// the GUI thread, unless `owner` is gone by then.
void loadAppBundleIcon(QObject* owner, std::vector<std::string> candidates, std::function<void(QIcon)> deliver);

} // namespace plenwick
