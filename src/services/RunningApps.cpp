#include "services/RunningApps.h"

#include "services/AppBundleInfo.h"
#include "services/DesktopEntry.h"
#include "services/LinuxApps.h"

#include "base/PathNames.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {
namespace {

constexpr std::string_view macOSFolder = "/Contents/MacOS/";
// More than any real environment holds; what lies past it is not looked at.
constexpr std::size_t maxEnvironmentSize = 1024 * 1024;

// The executable of a process, or empty when it can't be read (gone, another user's).
std::string executableOf(int pid) {
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::string target(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    // A replaced or removed executable keeps its old path with this mark.
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted)) target.resize(target.size() - deleted.size());
    return target;
}

// Called through syscall(): glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
int openProcessHandle(int pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }
bool signalThroughHandle(int handle, int signal) {
    return ::syscall(SYS_pidfd_send_signal, handle, signal, nullptr, 0) == 0;
}

bool liesInside(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

// A /proc file of the process, at most `limit` bytes; nothing when it can't be read.
std::optional<std::string> readProcFile(int pid, const char* name, std::size_t limit) {
    const std::string path = "/proc/" + std::to_string(pid) + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0 || bytes.size() >= limit) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

// The real user id of the process, from the first field of its "Uid:" line.
std::optional<uid_t> realUserOf(int pid) {
    const std::optional<std::string> status = readProcFile(pid, "status", 64 * 1024);
    if (!status) return std::nullopt;
    const auto at = status->find("\nUid:");
    if (at == std::string::npos) return std::nullopt;
    char* end = nullptr;
    const unsigned long uid = std::strtoul(status->c_str() + at + 5, &end, 10);
    if (end == status->c_str() + at + 5) return std::nullopt;
    return static_cast<uid_t>(uid);
}

// The value of `name` in a NUL-separated environment block; empty when absent.
std::string environmentValue(std::string_view block, std::string_view name) {
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find('\0', start);
        if (end == std::string_view::npos) end = block.size();
        const std::string_view entry = block.substr(start, end - start);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return std::string(entry.substr(name.size() + 1));
        start = end + 1;
    }
    return {};
}

// Whether two environments belong to one login session: the same session bus, or
// the same runtime folder (which holds the helper's lock, so one helper serves
// both). Environments that name neither are of one session only with each other.
bool sameSession(const std::function<std::string(std::string_view)>& theirs,
                 const std::function<std::string(std::string_view)>& ours) {
    bool named = false;
    for (std::string_view variable : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"}) {
        const std::string mine = ours(variable), other = theirs(variable);
        if (!mine.empty() && mine == other) return true;
        named = named || !mine.empty() || !other.empty();
    }
    return !named;
}

// Whether the process belongs to this user's session: its real user id is ours and
// its environment names our session. Another user's environment can't be read, so
// such a process never passes.
bool isOfThisSession(int pid) {
    const std::optional<uid_t> user = realUserOf(pid);
    if (!user || *user != ::getuid()) return false;
    const std::optional<std::string> environment = readProcFile(pid, "environ", maxEnvironmentSize);
    if (!environment) return false;
    return sameSession([&](std::string_view name) { return environmentValue(*environment, name); },
                       [](std::string_view name) {
                           const char* value = std::getenv(std::string(name).c_str());
                           return std::string(value ? value : "");
                       });
}

// The APPIMAGE variable of the process: the AppImage it was started from.
std::string appImageOf(int pid) {
    const std::optional<std::string> environment = readProcFile(pid, "environ", maxEnvironmentSize);
    return environment ? environmentValue(*environment, "APPIMAGE") : std::string();
}

// Whether the process runs from `path`: a bundle's executable, the path itself or a
// file inside it, or an AppImage that names it.
bool runsFrom(int pid, const std::string& path) {
    const std::string executable = executableOf(pid);
    if (executable.empty() || path.empty()) return false;
    if (bundlePathOfExecutable(executable) == path || executable == path || liesInside(executable, path)) return true;
    return appImageOf(pid) == path;
}

// The process ids in /proc.
std::vector<int> processIDs() {
    std::vector<int> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid > 0 && *end == '\0') pids.push_back(static_cast<int>(pid));
    }
    ::closedir(proc);
    return pids;
}

} // namespace

std::string bundlePathOfExecutable(const std::string& executable) {
    const auto at = executable.rfind(macOSFolder);
    if (at == std::string::npos || at == 0 || at + macOSFolder.size() == executable.size()) return {};
    return executable.substr(0, at);
}

std::vector<RunningApp> ProcRunningApps::instances(const std::string& bundleID) const {
    std::vector<RunningApp> found;
    DIR* proc = ::opendir("/proc");
    if (!proc) return found;
    std::map<std::string, bool> bundleMatches; // one Info.plist read per bundle
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        const std::string bundle = bundlePathOfExecutable(executableOf(static_cast<int>(pid)));
        if (bundle.empty()) continue;
        auto known = bundleMatches.find(bundle);
        if (known == bundleMatches.end()) {
            const auto info = readInfoPlist(bundle);
            const std::string* id = info ? plistString(*info, "CFBundleIdentifier") : nullptr;
            known = bundleMatches.emplace(bundle, id && *id == bundleID).first;
        }
        if (known->second && isOfThisSession(static_cast<int>(pid))) found.push_back({static_cast<int>(pid), bundle});
    }
    ::closedir(proc);
    return found;
}

std::vector<RunningApp> ProcRunningApps::instancesOf(const AppBundleInfo& app) const {
    const std::string path = normalizedPathOrSelf(app.url);
    struct stat st {};
    if (isAppBundlePath(path) || ::lstat((path + "/Contents/Info.plist").c_str(), &st) == 0) return instances(app.bundleID);
    // A desktop entry runs its program; an AppImage or app folder runs from itself.
    std::string runs = path;
    const bool entry = path.ends_with(".desktop") && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (entry) {
        const std::optional<DesktopEntry> read = readDesktopEntryFile(path);
        runs = read ? execProgram(read->exec) : std::string();
        if (runs.empty()) return {};
        runs = normalizedPathOrSelf(runs);
    }
    const bool appImage = !entry && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    std::vector<RunningApp> found;
    for (const int pid : processIDs()) {
        const std::string executable = executableOf(pid);
        if (executable.empty()) continue;
        const bool matches = executable == runs || (!entry && liesInside(executable, runs)) ||
                             (appImage && appImageOf(pid) == runs);
        if (matches && isOfThisSession(pid)) found.push_back({pid, runs});
    }
    return found;
}

bool ProcRunningApps::terminate(const RunningApp& app) {
    if (app.pid <= 0) return false;
    // The handle pins the process: once it is checked, the id can't pass to another.
    const int handle = openProcessHandle(app.pid);
    if (handle < 0) return false;
    bool sent = false;
    if (runsFrom(app.pid, app.bundlePath) && isOfThisSession(app.pid)) sent = signalThroughHandle(handle, SIGTERM);
    ::close(handle);
    return sent;
}

void watchForQuit(TaskClock& clock, QObject* context, std::function<bool()> isRunning, std::function<void()> refresh,
                  int passes, std::chrono::milliseconds interval) {
    if (passes <= 0 || !isRunning()) return;
    clock.schedule(interval, context, [&clock, context, isRunning, refresh, passes, interval] {
        refresh();
        watchForQuit(clock, context, isRunning, refresh, passes - 1, interval);
    });
}

} // namespace plenwick
