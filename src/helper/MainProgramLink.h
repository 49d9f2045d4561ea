#pragma once
// The helper's link to the main program: where its bundle is, opening it, and asking
// every running copy to quit. Failures do nothing: the helper shows no message.

#include "services/AppRegistry.h"
#include "services/RunningApps.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

// The main program's bundle. For a helper running inside one
// (<main>.app/Contents/Library/LoginItems/PlenwickHelper.app) that enclosing bundle;
// for the main program itself its own bundle; otherwise the registered copy of
// "tarnwell.Plenwick" outside any Trash: an installed one is its desktop entry.
// `runningBundle` is the bundle this process runs from.
std::optional<std::string> mainAppURL(const std::string& runningBundle, const AppRegistry& registry);

// The program inside a bundle: Contents/MacOS/<CFBundleExecutable>; nothing when the
// bundle names none.
std::optional<std::string> bundleExecutable(const std::string& bundle);

// A program and its arguments, started detached as an argument vector.
struct ProgramLaunch {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const ProgramLaunch&) const = default;
};

// How the main program at `mainApp` starts: a bundle's own program; for a desktop
// entry (an installed copy, found by its desktop ID) the entry launched as the
// desktop launches it, by `gio launch`. Nothing for anything else.
std::optional<ProgramLaunch> mainAppLaunch(const std::string& mainApp);

// "Open Plenwick": brings the running main program forward, or starts the one at
// `mainApp` (see mainAppLaunch) when none runs. `launch` starts a program detached
// (the program: a detached process).
void openMainApp(const std::optional<std::string>& mainApp, std::function<void(const ProgramLaunch&)> launch = {});

// Asks every running copy of the main program to quit, in the order listed; no
// forced end and no waiting.
void quitMainApp(RunningApps& runningApps);

} // namespace plenwick
