#pragma once
// Whether the program may read protected files, and the way to the settings that grant it.

#include <string>
#include <vector>

namespace plenwick {

class FullDiskAccess {
public:
    enum class Status { granted = 0, denied = 1, unknown = 2 };

    // The four protected files probed, built once on first use.
    static const std::vector<std::string>& probePaths();
    // The probe list for a given home folder ("//" collapsed).
    static std::vector<std::string> probePathsForHome(const std::string& home);
    // Opens each path read-only and non-blocking: the first that opens gives granted;
    // otherwise denied when one was refused (EPERM, EACCES), else unknown.
    static Status status(const std::vector<std::string>& paths = probePaths());
    // Asks the desktop to open the settings pane; the result is ignored.
    static void openSettings();

    static const char* const settingsURL;
};

} // namespace plenwick
