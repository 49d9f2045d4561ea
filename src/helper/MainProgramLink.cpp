#include "helper/MainProgramLink.h"

#include "base/PathNames.h"
#include "platform/AppActivation.h"
#include "platform/TrashName.h"
#include "services/AppBundleInfo.h"
#include "services/PropertyList.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace plenwick {

namespace {
constexpr const char* mainBundleID = "tarnwell.Plenwick";
constexpr const char* helperBundleID = "tarnwell.Plenwick.Helper";

void launchDetached(const ProgramLaunch& launch) {
    QStringList arguments;
    for (const std::string& argument : launch.arguments)
        arguments << QFile::decodeName(QByteArray::fromStdString(argument));
    QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(launch.program)), arguments);
}
} // namespace

std::optional<std::string> mainAppURL(const std::string& runningBundle, const AppRegistry& registry) {
    const std::optional<PlistDictionary> info = readInfoPlist(runningBundle);
    const std::string* id = info ? plistString(*info, "CFBundleIdentifier") : nullptr;
    if (id && *id == helperBundleID) {
        std::string enclosing = runningBundle;
        for (int i = 0; i < 4; ++i) enclosing = parentPath(enclosing);
        if (nameExtension(lastPathComponent(enclosing)) == "app") return enclosing;
    }
    if (id && *id == mainBundleID) return runningBundle;
    return applicationURLOutsideTrash(registry, mainBundleID);
}

std::optional<std::string> bundleExecutable(const std::string& bundle) {
    const std::optional<PlistDictionary> info = readInfoPlist(bundle);
    const std::string* name = info ? plistString(*info, "CFBundleExecutable") : nullptr;
    if (!name || name->empty() || name->find('/') != std::string::npos) return std::nullopt;
    return appendingPathComponent(appendingPathComponent(bundle, "Contents/MacOS"), *name);
}

std::optional<ProgramLaunch> mainAppLaunch(const std::string& mainApp) {
    if (nameExtension(lastPathComponent(mainApp)) == "desktop") return ProgramLaunch{"gio", {"launch", "--", mainApp}};
    if (const auto executable = bundleExecutable(mainApp)) return ProgramLaunch{*executable, {}};
    return std::nullopt;
}

void openMainApp(const std::optional<std::string>& mainApp, std::function<void(const ProgramLaunch&)> launch) {
    if (!mainApp) return;
    if (!launch) launch = launchDetached;
    // A running copy is brought forward rather than started again.
    requestActivation(QString::fromLatin1(mainBundleID), [app = *mainApp, launch] {
        if (const auto start = mainAppLaunch(app)) launch(*start);
    });
}

void quitMainApp(RunningApps& runningApps) {
    for (const RunningApp& app : runningApps.instances(mainBundleID)) runningApps.terminate(app);
}

} // namespace plenwick
