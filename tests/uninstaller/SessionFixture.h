#pragma once
// A session over fakes: an app whose home holds two certain leftovers and a possible
// one, background work the test runs by hand, a recording Trash.

#include "uninstaller/UninstallSession.h"

#include "common/AppServiceFakes.h"
#include "common/ManualBackground.h"
#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QPointer>

#include <map>
#include <memory>

namespace plenwick::test {

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeBundle(appPath, {{"CFBundleIdentifier", "com.example.app"},
                             {"CFBundleName", "Example App"},
                             {"CFBundleExecutable", "Example"}});
        writeFile(appPath + "/Contents/MacOS/Example", std::string(20'000, 'x'));
        make(home + "/.config/com.example.app.conf", 5'000);
        make(home + "/.cache/com.example.app/data", 30'000);
        make(home + "/.local/share/Example/data", 8'000); // the executable's name: possible
        app = *AppBundleInfo::read(appPath);

        services.executor = background.executor;
        services.registry = registry;
        services.runningApps = running;
        services.clock = clock;
        services.trash = [this](const std::vector<std::string>& urls) {
            trashCalls.push_back(urls);
            ItemTrasher::Result result;
            for (const std::string& url : urls) {
                if (failing.count(url)) result.failures.push_back({url, failing.at(url)});
                else result.trashed.push_back(url);
            }
            // Moved, but not wholly given to the user: told after the failures.
            for (const auto& [url, note] : partlyMoved)
                if (std::count(urls.begin(), urls.end(), url)) result.failures.push_back({url, note});
            return result;
        };
        services.postAppsHandled = [this](const std::vector<AppBundleInfo>& apps) { posted.push_back(apps); };
        services.searchRoots = RemnantSearchRoots::userFoldersOf(home);
    }

    void make(const std::string& path, std::size_t bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writeFile(path, std::string(bytes, 'x'));
    }

    std::unique_ptr<UninstallSession> makeSession(UninstallSession::Mode mode) {
        auto session = std::make_unique<UninstallSession>(app, mode, services);
        QObject::connect(session.get(), &UninstallSession::changed, [this](quint64 f) { heard.push_back(f); });
        return session;
    }

    // Starts the search and lets it finish.
    std::unique_ptr<UninstallSession> searched(UninstallSession::Mode mode) {
        auto session = makeSession(mode);
        session->start();
        background.runAll();
        return session;
    }

    std::string pref() const { return home + "/.config/com.example.app.conf"; }
    std::string cache() const { return home + "/.cache/com.example.app"; }
    std::string support() const { return home + "/.local/share/Example"; }

    TempFolder dir;
    std::string home = dir / "home", appPath = dir / "Applications/Example App.app";
    AppBundleInfo app;
    ManualBackground background;
    std::shared_ptr<FakeAppRegistry> registry = std::make_shared<FakeAppRegistry>();
    std::shared_ptr<FakeRunningApps> running = std::make_shared<FakeRunningApps>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::map<std::string, std::string> failing; // url → message
    std::map<std::string, std::string> partlyMoved; // url → note; these move all the same
    std::vector<std::vector<std::string>> trashCalls;
    std::vector<std::vector<AppBundleInfo>> posted;
    std::vector<quint64> heard;
    UninstallServices services;
};

} // namespace plenwick::test
