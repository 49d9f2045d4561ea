#include "services/RunningApps.h"

#include "services/AppBundleInfo.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {
namespace {

constexpr std::string_view macOSFolder = "/Contents/MacOS/";

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

bool runsFromBundle(int pid, const std::string& bundlePath) {
    const std::string executable = executableOf(pid);
    return !executable.empty() && bundlePathOfExecutable(executable) == bundlePath;
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
        if (known->second) found.push_back({static_cast<int>(pid), bundle});
    }
    ::closedir(proc);
    return found;
}

bool ProcRunningApps::terminate(const RunningApp& app) {
    if (app.pid <= 0) return false;
    // The handle pins the process: once it is checked, the id can't pass to another.
    const int handle = openProcessHandle(app.pid);
    if (handle < 0) return false;
    bool sent = false;
    if (runsFromBundle(app.pid, app.bundlePath)) sent = signalThroughHandle(handle, SIGTERM);
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
