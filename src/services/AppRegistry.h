#pragma once
// Which apps are installed for an identifier. Linux keeps no registry of apps: an app
// is installed where a desktop entry of its ID, in the folders the desktop's menus
// read, runs a program that exists. Bundle-style ".app" folders (Plenwick's own
// layout) are looked for one level deep in the folders where a user keeps apps of
// their own, ~/Applications and /opt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

class AppRegistry {
public:
    virtual ~AppRegistry() = default;
    // Every bundle registered for `bundleID`, in the registry's order; may include
    // copies in a Trash. Blocks on the file system.
    virtual std::vector<std::string> applicationURLs(const std::string& bundleID) const = 0;
};

// The registry over application folders: their direct children named "*.app" whose
// "Contents/Info.plist" has the identifier, folder by folder, each folder's names in
// byte order; then, folder by folder of `entryFolders`, the entry "<ID>.desktop" of
// Type=Application, not Hidden, whose program exists, as the app it stands for (the
// AppImage or app folder under the home folder it runs, else the entry itself).
// Missing or unreadable folders add nothing.
class FolderAppRegistry final : public AppRegistry {
public:
    explicit FolderAppRegistry(std::vector<std::string> folders = standardApplicationFolders(),
                               std::vector<std::string> entryFolders = standardEntryFolders());
    std::vector<std::string> applicationURLs(const std::string& bundleID) const override;

    // The home folder's "Applications", then "/opt".
    static std::vector<std::string> standardApplicationFolders();
    // $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS folder's "applications".
    static std::vector<std::string> standardEntryFolders();

private:
    std::vector<std::string> folders_;
    std::vector<std::string> entryFolders_;
};

// Whether the path lies in a Trash: a component ".Trash", ".Trashes" or ".Trash-<uid>"
// (a mount's trash), or inside the home trash ($XDG_DATA_HOME/Trash).
bool isInTrash(std::string_view path);

// The first registered bundle of `bundleID` outside any Trash (not checked for existence).
std::optional<std::string> applicationURLOutsideTrash(const AppRegistry& registry, const std::string& bundleID);

// The other installed copies of an app: registered bundles of `bundleID` whose
// standardised path differs from `leaveOut`'s, outside any Trash, that exist. Returned
// as the registry gave them, in its order.
std::vector<std::string> installedCopies(const AppRegistry& registry, const std::string& bundleID,
                                         const std::string& leaveOut);

} // namespace plenwick
