#pragma once
// The helper's link to the main program: where its bundle is, opening it, and asking
// every running copy to quit. Failures do nothing: the helper shows no message.

#include "services/AppRegistry.h"
#include "services/RunningApps.h"

#include <functional>
#include <optional>
#include <string>

namespace plenwick {

// The main program's bundle. For a helper running inside one
// (<main>.app/Contents/Library/LoginItems/PlenwickHelper.app) that enclosing bundle;
// for the main program itself its own bundle; otherwise the registered copy of
// "tarnwell.Plenwick" outside any Trash. `runningBundle` is the bundle this process
// runs from.
std::optional<std::string> mainAppURL(const std::string& runningBundle, const AppRegistry& registry);

// The program inside a bundle: Contents/MacOS/<CFBundleExecutable>; nothing when the
// bundle names none.
std::optional<std::string> bundleExecutable(const std::string& bundle);

// "Open Plenwick": brings the running main program forward, or starts the one at
// `mainAppURL` when none runs. `launch` starts a program detached (the program:
// a detached process).
void openMainApp(const std::optional<std::string>& mainApp,
                 std::function<void(const std::string& executable)> launch = {});

// Asks every running copy of the main program to quit, in the order listed; no
// forced end and no waiting.
void quitMainApp(RunningApps& runningApps);

} // namespace plenwick
