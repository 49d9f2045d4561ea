#pragma once
// Shared set-up of the state's tests: a state on manual executors with fixed volumes,
// temp fixture trees on disk, and small trees built in memory.

#include "app/AppState.h"
#include "common/AppServiceFakes.h"
#include "runtime/ManualExecutor.h"

#include <QCoreApplication>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace plenwick::test {

class FixedVolumes final : public VolumeSource {
public:
    std::vector<VolumeInfo> mounted;
    std::optional<VolumeInfo> holder;
    bool failing = false; // both calls throw
    std::vector<VolumeInfo> mountedVolumes() override {
        if (failing) throw std::runtime_error("mount table unreadable");
        return mounted;
    }
    std::optional<VolumeInfo> containing(const std::string&) override {
        if (failing) throw std::runtime_error("mount table unreadable");
        return holder;
    }
};

inline VolumeInfo volume(std::string url, std::string name, std::int64_t total = 1000, std::int64_t available = 400) {
    VolumeInfo v;
    v.url = std::move(url);
    v.name = std::move(name);
    v.totalCapacity = total;
    v.availableCapacity = available;
    return v;
}

// Records every `changed` signal of a state.
struct ChangeLog {
    std::vector<AppState::Fields> emitted;
};

// Runs background work and its deliveries until nothing is left, including work
// that a delivery starts.
inline void settleJobs(ManualExecutor& userInitiated, ManualExecutor& utility) {
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::processEvents();
        if (userInitiated.pendingCount() == 0 && utility.pendingCount() == 0) return;
        userInitiated.runAll();
        utility.runAll();
    }
}

class StateTest : public ::testing::Test {
protected:
    // `poolsForScans`: scans run on a real thread pool instead of the manual executor.
    void makeState(bool poolsForScans = false) {
        state = std::make_unique<AppState>(fakeEnvironment(poolsForScans));
        QObject::connect(state.get(), &AppState::changed, [this](quint64 f) { log.emitted.push_back(f); });
    }
    // The environment of the fakes below, for a state or for its parts on their own.
    AppEnvironment fakeEnvironment(bool poolsForScans = false) {
        AppEnvironment env;
        userInitiated = std::make_shared<ManualExecutor>();
        utility = std::make_shared<ManualExecutor>();
        env.userInitiated = poolsForScans ? std::shared_ptr<Executor>(std::make_shared<ThreadPoolExecutor>(2))
                                          : std::shared_ptr<Executor>(userInitiated);
        env.utility = utility;
        volumes = std::make_shared<FixedVolumes>();
        env.volumeSource = volumes;
        preferences = std::make_shared<MemoryPreferences>();
        env.preferences = preferences;
        // Uninstall sessions search a home of the test's and move nothing.
        env.uninstall.registry = std::make_shared<FakeAppRegistry>();
        env.uninstall.runningApps = std::make_shared<FakeRunningApps>();
        env.uninstall.clock = std::make_shared<ManualClock>();
        env.uninstall.trash = [this](const std::vector<std::string>& urls) {
            trashCalls.push_back(urls);
            return ItemTrasher::Result{urls, {}};
        };
        env.uninstall.postAppsHandled = [](const std::vector<AppBundleInfo>&) {};
        env.uninstall.searchRoots = RemnantSearchRoots::userFoldersOf(dir.path().toStdString() + "/home");
        // A Trash that moves nothing on disk and refuses the paths it is told to.
        env.trash.trashItem = [this](const std::string& path) -> std::optional<std::string> {
            if (refused.count(path)) throw std::system_error(EACCES, std::generic_category());
            trashed.push_back(path);
            events.push_back("moved " + path);
            return "/Trash/" + path.substr(path.rfind('/') + 1);
        };
        env.trash.trashItems = [this](const std::vector<std::string>& paths) {
            leftoverCalls.push_back(paths);
            ItemTrasher::Result result;
            for (const std::string& path : paths) {
                if (refused.count(path))
                    result.failures.push_back({path, "Couldn’t be moved, even with administrator rights."});
                else
                    result.trashed.push_back(path);
            }
            return result;
        };
        // The apps the test knows, else what lies on disk (the fixtures' bundles).
        env.trash.readBundle = [this](const std::string& path, std::stop_token stop) -> std::optional<AppBundleInfo> {
            if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++guiThreadReads;
            const std::lock_guard<std::mutex> lock(readsMutex);
            bundleReads.push_back(path);
            const auto it = bundles.find(path);
            if (it == bundles.end()) return AppBundleInfo::read(path, stop);
            return it->second;
        };
        env.trash.postAppsHandled = [this](const std::vector<AppBundleInfo>& apps) {
            if (!apps.empty()) posted.push_back(apps);
            events.push_back("posted");
        };
        env.fullDiskAccessIsOff = [this] {
            ++probes;
            return fullDiskAccessIsOff;
        };
        return env;
    }
    void TearDown() override {
        state.reset();
        QCoreApplication::processEvents();
        if (movedDataHome_) ::unsetenv("XDG_DATA_HOME");
    }

    // A home Trash on disk in `dir`, reached only through links, and the tree of a scan
    // of a link to the folder holding it: XDG_DATA_HOME names a link to that folder's
    // "share" (until the test ends), and the tree is
    // <dir>/scan → {share/Trash/{files/old.txt, info/old.txt.trashinfo}, .Trash-1000/x, keep.txt}.
    NodeRef trashBehindLinks();
    // Lets queued deliveries reach the state.
    static void deliver() { QCoreApplication::processEvents(); }
    void runUserJobs() { userInitiated->runAll(), deliver(); }
    void runUtilityJobs() { utility->runAll(), deliver(); }
    // Runs background work and its deliveries until nothing is left, including work
    // that a delivery starts.
    void settle() { settleJobs(*userInitiated, *utility); }
    // A readable app for the fake bundle reader.
    void knowBundle(const std::string& path, const std::string& id) {
        AppBundleInfo info;
        info.url = path;
        info.bundleID = id;
        info.name = path.substr(path.rfind('/') + 1);
        bundles[path] = info;
    }

    std::string makeTree(const std::vector<std::pair<std::string, std::size_t>>& files) {
        for (const auto& [rel, bytes] : files) {
            const std::filesystem::path p = std::filesystem::path(dir.path().toStdString()) / rel;
            std::filesystem::create_directories(p.parent_path());
            std::ofstream(p) << std::string(bytes, 'x');
        }
        return dir.path().toStdString();
    }

    QTemporaryDir dir;
    bool movedDataHome_ = false;
    std::shared_ptr<ManualExecutor> userInitiated, utility;
    std::shared_ptr<FixedVolumes> volumes;
    std::shared_ptr<MemoryPreferences> preferences;
    std::vector<std::vector<std::string>> trashCalls;
    std::set<std::string> refused;                      // what the fake Trash refuses
    std::vector<std::string> trashed;                   // moved one by one, in order
    std::vector<std::vector<std::string>> leftoverCalls;
    std::map<std::string, AppBundleInfo> bundles;     // what the fake reader reads
    std::vector<std::string> bundleReads;             // what it was asked to read, in order
    std::mutex readsMutex;                            // guards bundleReads when pools read
    std::atomic<int> guiThreadReads{0};               // reads made on the GUI thread
    std::vector<std::vector<AppBundleInfo>> posted;
    std::vector<std::string> events;
    std::unique_ptr<AppState> state;
    ChangeLog log;
    bool fullDiskAccessIsOff = false; // what the probe answers
    std::atomic<int> probes{0};
};

// A node built in memory; children get it as parent and are kept in size order.
inline NodeRef node(std::string_view name, FileNode::Kind kind, std::int64_t size, std::vector<NodeRef> children = {}) {
    std::int64_t files = children.empty() && kind != FileNode::Kind::directory ? 1 : 0;
    for (const NodeRef& c : children) files += c->fileCount();
    NodeRef n = FileNode::make(name, kind, size, size, files, 0);
    n->setChildren(std::move(children));
    n->sortChildren();
    return n;
}
inline NodeRef file(std::string_view name, std::int64_t size) { return node(name, FileNode::Kind::file, size); }
inline NodeRef folder(std::string_view name, std::vector<NodeRef> children) {
    std::int64_t size = 0;
    for (const NodeRef& c : children) size += c->size();
    return node(name, FileNode::Kind::directory, size, std::move(children));
}
// A leftover found outside the tree.
inline Remnant remnant(const std::string& url, std::int64_t size) {
    Remnant r;
    r.url = url;
    r.size = size;
    return r;
}
// The names of a node's children, in their order.
inline std::vector<std::string> names(const NodeRef& parent) {
    std::vector<std::string> out;
    for (const NodeRef& c : parent->children()) out.emplace_back(c->name());
    return out;
}
inline NodeRef child(const NodeRef& parent, std::string_view name) {
    for (const NodeRef& c : parent->children())
        if (c->name() == name) return c;
    return {};
}

inline NodeRef StateTest::trashBehindLinks() {
    const std::string base = makeTree({{"real/share/Trash/files/old.txt", 1},
                                       {"real/share/Trash/info/old.txt.trashinfo", 1},
                                       {"real/.Trash-1000/x", 1},
                                       {"real/keep.txt", 1}});
    std::filesystem::create_directory_symlink(base + "/real/share", base + "/data");
    std::filesystem::create_directory_symlink(base + "/real", base + "/scan");
    ::setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    movedDataHome_ = true;
    return folder(base + "/scan",
                  {folder("share", {folder("Trash", {folder("files", {file("old.txt", 1)}),
                                                     folder("info", {file("old.txt.trashinfo", 1)})})}),
                   folder(".Trash-1000", {file("x", 1)}), file("keep.txt", 1)});
}

} // namespace plenwick::test
