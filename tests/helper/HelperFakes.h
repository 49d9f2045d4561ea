#pragma once
// Stand-ins for the helper's tests: folder events fired by hand over a real folder,
// background work run when the test says, and windows that only record.

#include "helper/FolderEvents.h"
#include "helper/HelperState.h"
#include "helper/HelperWindows.h"
#include "helper/InotifyFolderEvents.h"

#include "uninstaller/UninstallSession.h"

#include "common/AppServiceFakes.h"
#include "common/ManualBackground.h"
#include "common/PlistFixtures.h"

#include <QPointer>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace plenwick::test {

// Lists the real folder; its events come only when the test fires them.
class FakeFolderEvents final : public FolderEvents {
public:
    bool refused = false;     // listing fails (no access)
    bool unwatchable = false; // watching fails
    bool creatable = true;    // prepare can make a missing folder
    int listings = 0, prepares = 0, watchesMade = 0;
    std::function<void()> afterListing; // runs once the names are read

    void prepare(const std::string& folder) override {
        ++prepares;
        if (creatable && !refused) std::filesystem::create_directories(folder);
    }
    std::optional<std::vector<std::string>> list(const std::string& folder) override {
        ++listings;
        if (refused) return std::nullopt;
        auto names = InotifyFolderEvents().list(folder);
        if (afterListing) afterListing();
        return names;
    }
    std::unique_ptr<Watch> watch(const std::string&, std::function<void(Mask)> onEvents) override {
        if (unwatchable) return nullptr;
        ++watchesMade;
        auto made = std::make_unique<FakeWatch>(*this);
        live_ = made.get();
        callback_ = std::move(onEvents);
        return made;
    }

    bool isWatching() const { return live_ != nullptr; }
    // Delivers events to the live watch, if any, as the kernel would.
    void fire(Mask mask) {
        if (!live_) return;
        auto callback = callback_;
        callback(mask);
    }

private:
    struct FakeWatch final : Watch {
        explicit FakeWatch(FakeFolderEvents& events) : events(events) {}
        ~FakeWatch() override {
            if (events.live_ == this) events.live_ = nullptr;
        }
        FakeFolderEvents& events;
    };
    FakeWatch* live_ = nullptr;
    std::function<void(Mask)> callback_;
};

// Records what is shown; closing runs the close callback as the presenter does.
class FakeWindows final : public HelperWindows {
public:
    struct Shown {
        QString identifier, title;
        bool resizable = true;
        std::function<void()> onClose;
        std::shared_ptr<UninstallSession> session;
    };
    std::map<QString, Shown> open;
    std::vector<Shown> made; // every window made, in order
    int broughtForward = 0;

    void presentUninstaller(const QString& identifier, const QString& title, bool resizable,
                            std::function<void()> onClose, std::shared_ptr<UninstallSession> session) override {
        if (open.count(identifier)) {
            ++broughtForward;
            return;
        }
        Shown shown{identifier, title, resizable, std::move(onClose), std::move(session)};
        made.push_back(shown);
        open[identifier] = std::move(shown);
    }
    void closeWindow(const QString& identifier) override {
        const auto it = open.find(identifier);
        if (it == open.end()) return;
        Shown closing = std::move(it->second);
        open.erase(it);
        if (closing.onClose) closing.onClose();
    }
};

// A helper state's whole outside world, faked over a temp folder: its Trash, a home
// whose settings folder holds the leftovers, and the folder apps come from.
struct HelperWorld {
    HelperWorld() {
        std::filesystem::create_directories(trash);
        env.preferences = preferences;
        env.trashFolder = trash;
        env.trashEvents = events;
        env.clock = clock;
        env.now = [clock = clock] { return clock->now(); };
        env.runningApps = running;
        env.registry = registry;
        env.uninstall.executor = background.executor;
        env.uninstall.registry = registry;
        env.uninstall.runningApps = running;
        env.uninstall.clock = clock;
        env.uninstall.trash = [this](const std::vector<std::string>& urls) {
            trashed.push_back(urls);
            ItemTrasher::Result result;
            result.trashed = urls;
            return result;
        };
        env.uninstall.postAppsHandled = [](const std::vector<AppBundleInfo>&) {};
        env.uninstall.searchRoots = RemnantSearchRoots::userFoldersOf(dir / "home");
        env.windows = windows;
        env.chooseApp = [this] { return chosen; };
        env.alert = [this](const std::string& message) { alerts.push_back(message); };
        env.activate = [this] { ++activations; };
        env.watchExits = [this](const std::vector<int>& pids, std::function<void()> exited) {
            watchedPids = pids;
            onExit = std::move(exited);
        };
    }

    // An app bundle in `folder`; with leftovers, a settings file in ~/.config.
    std::string makeApp(const std::string& folder, const std::string& name, const std::string& id,
                        bool leftovers = true) {
        const std::string path = folder + "/" + name + ".app";
        makeBundle(path, {{"CFBundleIdentifier", id}, {"CFBundleName", name}});
        if (leftovers) leftoverOf(id);
        return path;
    }

    // A leftover the search finds by the identifier: a settings file.
    void leftoverOf(const std::string& id) {
        std::filesystem::create_directories(config);
        writeFile(config + "/" + id + ".conf", std::string(2000, 'x'));
    }

    TempFolder dir;
    std::string trash = dir / "share/Trash/files", config = dir / "home/.config", apps = dir / "Applications";
    std::shared_ptr<MemoryPreferences> preferences = std::make_shared<MemoryPreferences>();
    std::shared_ptr<FakeFolderEvents> events = std::make_shared<FakeFolderEvents>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<FakeRunningApps> running = std::make_shared<FakeRunningApps>();
    std::shared_ptr<FakeAppRegistry> registry = std::make_shared<FakeAppRegistry>();
    std::shared_ptr<FakeWindows> windows = std::make_shared<FakeWindows>();
    ManualBackground background;
    std::vector<std::vector<std::string>> trashed;
    std::optional<std::string> chosen;
    std::vector<std::string> alerts;
    int activations = 0;
    std::vector<int> watchedPids;
    std::function<void()> onExit;
    HelperEnvironment env;
};

} // namespace plenwick::test
