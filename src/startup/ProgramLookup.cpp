#include "startup/ProgramLookup.h"

#include "base/PathNames.h"

#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

bool programExists(const std::string& program, std::string_view searchPath) {
    if (program.empty()) return false;
    if (program.find('%') != std::string::npos) return true;
    struct stat st {};
    if (program.front() == '/') return ::stat(program.c_str(), &st) == 0;
    if (program.find('/') != std::string::npos) return true;
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string_view::npos) end = searchPath.size();
        const std::string_view folder = searchPath.substr(start, end - start);
        // Only absolute folders: an empty or relative entry would mean the working folder.
        if (!folder.empty() && folder.front() == '/') {
            const std::string path = appendingPathComponent(folder, program);
            if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0)
                return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace plenwick
