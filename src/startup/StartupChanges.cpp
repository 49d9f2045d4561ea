#include "startup/StartupChanges.h"

#include "startup/AutostartEntries.h"

#include "services/DesktopEntry.h"
#include "services/RegularFile.h"

#include "base/CreateFolders.h"
#include "base/PathNames.h"
#include "base/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

std::string failureText(const std::string& what, const std::string& path, int error) {
    return what + " “" + repairUtf8(lastPathComponent(path)) + "”: " + std::strerror(error);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool isOverride(const std::string& path) {
    const auto bytes = readRegularFile(path, maxDesktopEntrySize);
    if (!bytes) return false;
    const auto entry = parseDesktopEntry(*bytes);
    return entry && isAutostartOverride(*entry);
}

} // namespace

CommandLine toggleCommand(ServiceScope scope, const std::string& unit, bool enabled) {
    return {systemctlToolPath, systemctlArguments(scope, {enabled ? "enable" : "disable", "--now"}, {unit})};
}

CommandLine disableCommand(ServiceScope scope, const std::string& unit) { return toggleCommand(scope, unit, false); }

CommandLine removeFileCommand(const std::string& path) { return {removeToolPath, {"--", path}}; }

std::optional<std::string> hideAutostartEntry(const std::string& userFolder, const std::string& fileName) {
    const std::string path = appendingPathComponent(userFolder, fileName);
    if (const int error = createFolders(userFolder)) return failureText("Couldn’t make the folder", userFolder, error);
    std::string temporary = appendingPathComponent(userFolder, ".plenwick-XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failureText("Couldn’t write", path, errno);
    // Readable like any entry the desktop writes.
    ::fchmod(fd, 0644);
    const bool written = writeAll(fd, autostartOverrideText()) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return failureText("Couldn’t write", path, writeError);
    }
    // Never over an entry the user has there: that one would be lost.
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        if (error == EEXIST && isOverride(path)) return std::nullopt;
        return failureText("Couldn’t write", path, error);
    }
    return std::nullopt;
}

std::optional<std::string> unhideAutostartEntry(const std::string& userFolder, const std::string& fileName) {
    const std::string path = appendingPathComponent(userFolder, fileName);
    if (!isOverride(path)) return std::nullopt;
    return deleteDefinition(path);
}

std::optional<std::string> deleteDefinition(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return failureText("Couldn’t delete", path, errno);
    return std::nullopt;
}

} // namespace plenwick
