#include "startup/StartupChanges.h"

#include "startup/AutostartEntries.h"

#include "services/AdminMove.h"
#include "services/DesktopEntry.h"
#include "services/RegularFile.h"

#include "base/CreateFolders.h"
#include "base/PathNames.h"
#include "base/Utf8.h"

#include "base/Descriptor.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
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

// The names our writes give a new file for the moment between writing it and moving
// it into place: ".plenwick-<process id>-<random>".
constexpr std::string_view temporaryPrefix = ".plenwick-";

std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::string(temporaryPrefix) + std::to_string(::getpid()) + "-" +
           std::to_string(static_cast<unsigned long long>(now) ^ (counter.fetch_add(1) * 2654435761u));
}

// Removes the temporaries that a process of ours, ended before it moved them into
// place (killed, say), left in the open folder.
void removeStrays(int folder) {
    const int listingFD = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFD < 0) return;
    DIR* listing = ::fdopendir(listingFD);
    if (!listing) {
        ::close(listingFD);
        return;
    }
    std::vector<std::string> strays;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(temporaryPrefix)) continue;
        const std::string_view rest = name.substr(temporaryPrefix.size());
        const auto dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos || dash > 9 ||
            rest.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        const auto pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) strays.emplace_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : strays) ::unlinkat(folder, name.c_str(), 0);
}

// Puts `text` (or, with `linkTarget`, a link to it) at `path` in one step: readers see
// the old file or the new, never half of one, and a process ended on the way leaves
// nothing behind. The file is written unnamed (O_TMPFILE) and given a temporary name
// only to be renamed over `path`; where the file system can't, a named temporary, which
// the next write into the folder removes if this process ends first. With `replace`
// false an existing file stays. `unchanged`, when given, is asked just before the
// rename and may refuse it with a reason.
std::optional<std::string> writeEntry(const std::string& path, const std::string& text, mode_t mode, bool replace,
                                      int* renameError = nullptr,
                                      const std::function<std::optional<std::string>()>& unchanged = {},
                                      const std::optional<std::string>& linkTarget = std::nullopt) {
    const std::string folderPath = parentPath(path), name = lastPathComponent(path);
    Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return failureText("Couldn’t write", path, errno);
    removeStrays(folder.get());
    const std::string temporary = temporaryName();
    if (linkTarget) {
        if (::symlinkat(linkTarget->c_str(), folder.get(), temporary.c_str()) != 0)
            return failureText("Couldn’t write", path, errno);
    } else {
        bool named = false;
        Descriptor fd(::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (!fd && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)) {
            fd = Descriptor(
                ::openat(folder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
            named = static_cast<bool>(fd);
        }
        if (!fd) return failureText("Couldn’t write", path, errno);
        ::fchmod(fd.get(), mode);
        if (!writeAll(fd.get(), text) || ::fsync(fd.get()) != 0) {
            const int error = errno;
            if (named) ::unlinkat(folder.get(), temporary.c_str(), 0);
            return failureText("Couldn’t write", path, error);
        }
        if (!named) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
            if (::linkat(AT_FDCWD, self.c_str(), folder.get(), temporary.c_str(), AT_SYMLINK_FOLLOW) != 0)
                return failureText("Couldn’t write", path, errno);
        }
    }
    if (unchanged) {
        if (auto refusal = unchanged()) {
            ::unlinkat(folder.get(), temporary.c_str(), 0);
            return refusal;
        }
    }
    if (::renameat2(folder.get(), temporary.c_str(), folder.get(), name.c_str(), replace ? 0 : RENAME_NOREPLACE) != 0) {
        const int error = errno;
        ::unlinkat(folder.get(), temporary.c_str(), 0);
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

// A line without its line break.
std::string_view lineContent(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::optional<std::string> linkText(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) == sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

// Whether a link's target can stand as a key's value: one line, nothing blank at its
// ends that a reader would trim.
bool isNotable(const std::string& target) {
    if (target.empty() || target.front() == ' ' || target.front() == '\t' || target.back() == ' ' || target.back() == '\t')
        return false;
    return std::none_of(target.begin(), target.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; });
}

} // namespace

CommandLine toggleCommand(ServiceScope scope, const std::string& unit, bool enabled) {
    return {systemctlToolPath, systemctlArguments(scope, {enabled ? "enable" : "disable", "--now"}, {unit})};
}

CommandLine disableCommand(ServiceScope scope, const std::string& unit) { return toggleCommand(scope, unit, false); }

CommandLine removeFileCommand(const std::string& path) { return {adminMoveProgramPath(), adminRemoveArguments(path)}; }

std::optional<std::string> hideAutostartEntry(const std::string& userFolder, const std::string& fileName) {
    const std::string path = appendingPathComponent(userFolder, fileName);
    if (const int error = createFolders(userFolder)) return failureText("Couldn’t make the folder", userFolder, error);
    // Readable like any entry the desktop writes; never over an entry the user has
    // there: that one would be lost.
    int renameError = 0;
    auto failure = writeEntry(path, autostartOverrideText(), 0644, false, &renameError);
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

std::optional<std::string> autostartTextTurned(std::string_view text, bool enabled,
                                               const std::optional<std::string>& linkedTo) {
    std::string turned;
    turned.reserve(text.size() + 16);
    bool inGroup = false, found = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(start, next - start);
        start = next;
        const std::string_view bare = trimmedBlanks(lineContent(line));
        if (!bare.empty() && bare.front() == '[') {
            inGroup = bare == "[Desktop Entry]" && !found;
            turned.append(line);
            if (inGroup) {
                found = true;
                if (turned.back() != '\n') turned += '\n';
                if (!enabled) turned += "Hidden=true\n";
                if (!enabled && linkedTo) turned += std::string(autostartLinkKey) + "=" + *linkedTo + "\n";
            }
            continue;
        }
        if (inGroup && !bare.empty() && bare.front() != '#') {
            const auto equals = bare.find('=');
            const std::string_view key = trimmedBlanks(bare.substr(0, equals));
            const std::string_view value =
                equals == std::string_view::npos ? std::string_view() : trimmedBlanks(bare.substr(equals + 1));
            if (key == "Hidden" || key == autostartLinkKey) continue;
            if (key == "X-GNOME-Autostart-enabled" && value == "false") continue;
        }
        turned.append(line);
    }
    if (!found) return std::nullopt;
    return turned;
}

std::optional<std::string> autostartLinkNoted(std::string_view text) {
    bool inGroup = false, seenGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view content = lineContent(text.substr(start, next - start));
        start = next;
        const std::string_view bare = trimmedBlanks(content);
        if (!bare.empty() && bare.front() == '[') {
            inGroup = bare == "[Desktop Entry]" && !seenGroup;
            seenGroup = seenGroup || inGroup;
            continue;
        }
        const std::string prefix = std::string(autostartLinkKey) + "=";
        if (inGroup && content.starts_with(prefix) && content.size() > prefix.size())
            return std::string(content.substr(prefix.size()));
    }
    return std::nullopt;
}

std::optional<std::string> setAutostartEntryEnabled(const std::string& path, bool enabled,
                                                    const std::function<void()>& beforeReplacing) {
    const std::string shown = "Couldn’t change “" + repairUtf8(lastPathComponent(path)) + "”: ";
    struct stat found {};
    if (::lstat(path.c_str(), &found) != 0) return failureText("Couldn’t read", path, errno);
    std::optional<std::string> target;
    if (S_ISLNK(found.st_mode) && !(target = linkText(path))) return failureText("Couldn’t read", path, errno);
    // The entry itself, read through a link.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    errno = 0;
    const std::optional<std::string> bytes =
        fd && ::fstat(fd.get(), &st) == 0 ? readOpenRegularFile(fd.get(), maxDesktopEntrySize) : std::nullopt;
    if (!bytes) return failureText("Couldn’t read", path, errno ? errno : EIO);
    // Rewritten, a file of several names would keep the old text under the others.
    if (!target && st.st_nlink > 1)
        return shown + "the file has other names (hard links), which a change here would part from it.";

    // An entry that was a link until it was turned off becomes that link again, so it
    // follows what it links to as before; a link turned off becomes a copy that notes it.
    const std::optional<std::string> noted = target ? std::nullopt : autostartLinkNoted(*bytes);
    std::optional<std::string> text;
    if (!(enabled && noted)) {
        if (target && !enabled && !isNotable(*target))
            return shown + "it links to a file whose name can’t be noted in its place.";
        text = autostartTextTurned(*bytes, enabled, enabled ? std::nullopt : target);
        if (!text) return shown + "it is no desktop entry.";
        if (*text == *bytes) return std::nullopt;
    }
    // Another program's change since the read is never written over.
    const auto unchanged = [&]() -> std::optional<std::string> {
        if (beforeReplacing) beforeReplacing();
        struct stat now {};
        const bool same = ::lstat(path.c_str(), &now) == 0 && now.st_dev == found.st_dev && now.st_ino == found.st_ino &&
                          (now.st_mode & S_IFMT) == (found.st_mode & S_IFMT) && (!target || linkText(path) == target) &&
                          readRegularFile(path, maxDesktopEntrySize) == bytes;
        if (same) return std::nullopt;
        return shown + "another program changed it meanwhile.";
    };
    return writeEntry(path, text.value_or(std::string()), st.st_mode & 07777, true, nullptr, unchanged,
                      text ? std::nullopt : noted);
}

std::optional<std::string> deleteDefinition(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return failureText("Couldn’t delete", path, errno);
    return std::nullopt;
}

} // namespace plenwick
