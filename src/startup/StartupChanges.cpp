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

std::optional<DesktopEntry> entryAt(const std::string& path) {
    const auto bytes = readRegularFile(path, maxDesktopEntrySize);
    if (!bytes) return std::nullopt;
    return parseDesktopEntry(*bytes);
}

bool isOverride(const std::string& path) {
    const auto entry = entryAt(path);
    return entry && isAutostartOverride(*entry);
}

// Writes `text` into a new file in `folder` and renames it to `path`: readers see the
// old text or the new, never half of it. With `replace` false an existing file stays.
std::optional<std::string> writeEntry(const std::string& folder, const std::string& path, const std::string& text,
                                      mode_t mode, bool replace, int* renameError = nullptr) {
    std::string temporary = appendingPathComponent(folder, ".plenwick-XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failureText("Couldn’t write", path, errno);
    ::fchmod(fd, mode);
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return failureText("Couldn’t write", path, writeError);
    }
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), replace ? 0 : RENAME_NOREPLACE) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        if (renameError) *renameError = error;
        return failureText("Couldn’t write", path, error);
    }
    return std::nullopt;
}

std::string_view trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
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
    // Readable like any entry the desktop writes; never over an entry the user has
    // there: that one would be lost.
    int renameError = 0;
    auto failure = writeEntry(userFolder, path, autostartOverrideText(), 0644, false, &renameError);
    if (failure && renameError == EEXIST && isOverride(path)) return std::nullopt;
    return failure;
}

std::optional<std::string> unhideAutostartEntry(const std::string& userFolder, const std::string& fileName) {
    const std::string path = appendingPathComponent(userFolder, fileName);
    const auto entry = entryAt(path);
    if (!entry || !isAutostartOverride(*entry)) return std::nullopt;
    // A copy of the entry that runs something (as other tools write them) may hold the
    // user's own changes: it is turned on rather than deleted.
    if (!entry->exec.empty()) return setAutostartEntryEnabled(path, true);
    return deleteDefinition(path);
}

std::optional<std::string> autostartTextTurned(std::string_view text, bool enabled) {
    std::string turned;
    turned.reserve(text.size() + 16);
    bool inGroup = false, found = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(start, next - start);
        start = next;
        std::string_view content = line;
        if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        const std::string_view bare = trimmedBlanks(content);
        if (!bare.empty() && bare.front() == '[') {
            inGroup = bare == "[Desktop Entry]" && !found;
            turned.append(line);
            if (inGroup) {
                found = true;
                if (turned.back() != '\n') turned += '\n';
                if (!enabled) turned += "Hidden=true\n";
            }
            continue;
        }
        if (inGroup && !bare.empty() && bare.front() != '#') {
            const auto equals = bare.find('=');
            const std::string_view key = trimmedBlanks(bare.substr(0, equals));
            const std::string_view value =
                equals == std::string_view::npos ? std::string_view() : trimmedBlanks(bare.substr(equals + 1));
            if (key == "Hidden") continue;
            if (key == "X-GNOME-Autostart-enabled" && value == "false") continue;
        }
        turned.append(line);
    }
    if (!found) return std::nullopt;
    return turned;
}

std::optional<std::string> setAutostartEntryEnabled(const std::string& path, bool enabled) {
    errno = 0;
    const auto bytes = readRegularFile(path, maxDesktopEntrySize);
    if (!bytes) return failureText("Couldn’t read", path, errno ? errno : EIO);
    const auto text = autostartTextTurned(*bytes, enabled);
    if (!text) return "Couldn’t change “" + repairUtf8(lastPathComponent(path)) + "”: it is no desktop entry.";
    if (*text == *bytes) return std::nullopt;
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    return writeEntry(parentPath(path), path, *text, mode, true);
}

std::optional<std::string> deleteDefinition(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return failureText("Couldn’t delete", path, errno);
    return std::nullopt;
}

} // namespace plenwick
