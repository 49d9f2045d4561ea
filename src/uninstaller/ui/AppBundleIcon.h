#pragma once
// The picture of an app: for a bundle-style folder the image its Info.plist names
// (CFBundleIconFile in Contents/Resources, in a format Qt reads); for an AppImage the
// icon in its image; for an app folder or a desktop entry the file its entry's Icon
// names (a path, or a file at the folder's top), else that theme icon; else the
// desktop's generic application icon. The app may be anybody's (one just trashed,
// say), so its image is read off the GUI thread, only from a regular file within a
// size cap, without blocking.

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

// What an app's picture is made of: its image, else the name of a theme icon.
struct AppPicture {
    std::optional<QImage> image;
    std::string themeIcon;
};

// GUI thread.
QIcon genericApplicationIcon();
// The bundle's own image, or nothing. Any thread.
std::optional<QImage> bundleImage(const std::string& bundlePath);
// The picture of the first candidate that exists; none when that one has none or
// none exists. Any thread.
AppPicture appPicture(const std::vector<std::string>& candidates);
std::optional<QImage> appBundleImage(const std::vector<std::string>& candidates);
// The icon of a loaded picture: the image, else the theme's icon, else the generic
// icon. GUI thread.
QIcon appBundleIcon(const AppPicture& picture);
QIcon appBundleIcon(const std::optional<QImage>& image);
// Reads the candidates' image in the background and hands its icon to `deliver` on
// the GUI thread, unless `owner` is gone by then.
void loadAppBundleIcon(QObject* owner, std::vector<std::string> candidates, std::function<void(QIcon)> deliver);

} // namespace plenwick
