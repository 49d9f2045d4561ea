#pragma once
// What other installed apps name as their own. A place named by the desktop file ID
// of an installed app (its entry in a menu folder, its program present) that is not
// the app searched for belongs to that app, however well the searched app's names or
// identifiers match it: a download naming itself after another app claims nothing of
// that app's.

#include "services/AppBundleInfo.h"

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plenwick {

class OtherApps {
public:
    // The entries of `entryFolders` (and of their folders one level down, whose IDs
    // take the folder's name as a prefix), the first of each ID counting as the menu
    // takes it. `app`'s own are none of them: its own entry, and an entry whose
    // program is the app, lies inside it, is the program of its own entry, or is
    // `formerLocation` (where an app now in the Trash was installed) or inside it.
    OtherApps(const AppBundleInfo& app, const std::vector<std::string>& entryFolders,
              const std::optional<std::string>& formerLocation = std::nullopt);

    // Whether a place of this file name is another app's: a desktop ID of three
    // dot-separated parts or more names itself and what begins with it and a dot,
    // any other ID itself and itself with one extension; letter case aside. Reads an
    // entry only when its ID names the place, and each entry once.
    bool claim(std::string_view name);

private:
    bool isOtherApp(const std::string& entryPath);

    std::string appPath_;
    std::vector<std::string> ownPrograms_; // real paths: the app, its entry's program, its former place
    std::unordered_map<std::string, std::string> entries_; // lower-cased ID → entry path
    std::map<std::string, bool> judged_;                   // entry path → another installed app's
};

} // namespace plenwick
