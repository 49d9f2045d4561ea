#pragma once
// The running instances of an application and asking them to quit. On Linux an
// instance of a bundle-style app is a process whose executable lies in a bundle's
// "Contents/MacOS" folder and whose bundle's Info.plist carries the identifier; one
// of an AppImage or app folder is a process whose executable is or lies inside the
// app, or whose environment's APPIMAGE names it; one of a desktop entry is a process
// running the entry's program. Quitting sends SIGTERM. Only
// this user's processes in this login session count: the same real user id, and the
// same session bus address or the same runtime folder in the process's environment.
// Another session's copy is neither seen nor signalled.

#include "runtime/TaskClock.h"
#include "services/AppBundleInfo.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QObject;

namespace plenwick {

struct RunningApp {
    int pid = 0;
    std::string bundlePath; // the bundle or app the process runs from (an entry's program)
    bool operator==(const RunningApp&) const = default;
};

class RunningApps {
public:
    virtual ~RunningApps() = default;
    // Every running instance of `bundleID` in this user's session.
    virtual std::vector<RunningApp> instances(const std::string& bundleID) const = 0;
    // Every running instance of the app, of whatever kind; by its identifier unless
    // the registry knows better.
    virtual std::vector<RunningApp> instancesOf(const AppBundleInfo& app) const { return instances(app.bundleID); }
    // Asks the instance to quit; false when it is gone or may not be asked.
    virtual bool terminate(const RunningApp& app) = 0;
};

// Instances read from /proc.
class ProcRunningApps final : public RunningApps {
public:
    std::vector<RunningApp> instances(const std::string& bundleID) const override;
    std::vector<RunningApp> instancesOf(const AppBundleInfo& app) const override;
    // SIGTERM through a process handle, sent only while the process still runs from
    // the same bundle or app in this session (a reused process id is left alone).
    bool terminate(const RunningApp& app) override;
};

// The bundle that holds an executable path: the part before its last
// "/Contents/MacOS/"; empty when there is none.
std::string bundlePathOfExecutable(const std::string& executable);

// The watch after asking an app to quit: at most `passes` rounds; while `isRunning()`
// answers true, each round waits `interval` and then calls `refresh()`, which updates
// what `isRunning` answers. Ends at the first round that finds it false.
void watchForQuit(TaskClock& clock, QObject* context, std::function<bool()> isRunning, std::function<void()> refresh,
                  int passes = 20, std::chrono::milliseconds interval = std::chrono::milliseconds(250));

} // namespace plenwick
