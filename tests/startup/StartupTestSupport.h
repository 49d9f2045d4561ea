#pragma once
// Unit files and autostart entries written into temporary folders.

#include "common/TestSupport.h"

#include <filesystem>
#include <string>

namespace plenwick::test {

// What the scanner asks systemctl, after "systemctl [--user]" and before the units.
inline const std::string listFiles = " list-unit-files --type=service --no-legend --no-pager --plain -- ";
inline const std::string listUnits = " list-units --type=service --all --no-legend --no-pager --plain -- ";

// Writes a file, creating its folder.
inline void writeAt(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, text);
}

// A service unit running `program`; `install` adds an [Install] section.
inline std::string unitText(const std::string& program, bool install = true, const std::string& more = {}) {
    std::string text = "[Unit]\nDescription=A service\n\n[Service]\nExecStart=" + program + " --flag\n" + more;
    if (install) text += "\n[Install]\nWantedBy=default.target\n";
    return text;
}

// An autostart entry named `name` that runs `exec`.
inline std::string entryText(const std::string& name, const std::string& exec, const std::string& more = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + more;
}

} // namespace plenwick::test
