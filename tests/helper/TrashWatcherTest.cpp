#include "helper/TrashWatcher.h"

#include "HelperFakes.h"
#include "common/AppServiceFakes.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;
using Status = TrashWatcher::Status;

namespace {

class TrashWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(trash);
        watcher.onStatusChange = [this](Status status) { statuses.push_back(status); };
        watcher.onAppsTrashed = [this](const std::vector<std::string>& urls) { reports.push_back(urls); };
    }

    void put(const std::string& name) { std::filesystem::create_directories(trash + "/" + name); }
    void take(const std::string& name) { std::filesystem::remove_all(trash + "/" + name); }
    std::vector<std::string> paths(std::initializer_list<const char*> names) const {
        std::vector<std::string> out;
        for (const char* name : names) out.push_back(trash + "/" + name);
        return out;
    }

    TempFolder dir;
    std::string trash = dir / "Trash/files";
    std::shared_ptr<FakeFolderEvents> events = std::make_shared<FakeFolderEvents>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    TrashWatcher watcher{trash, events, clock};
    std::vector<Status> statuses;
    std::vector<std::vector<std::string>> reports;
};

} // namespace

TEST(TrashedAppDetector, AppsAreNamesWithTheExtensionAppInAnyCase) {
    EXPECT_EQ(TrashedAppDetector::appNames({"A.app", "B.APP", "C.App", "app", ".app", "D.apps", "E.app.zip", "F"}),
              (std::set<std::string>{"A.app", "B.APP", "C.App"}));
    TrashedAppDetector detector;
    EXPECT_EQ(detector.update({"Zed.app", "Alpha.app", "notes.txt"}), (std::vector<std::string>{"Alpha.app", "Zed.app"}));
    EXPECT_TRUE(detector.update({"Zed.app", "Alpha.app"}).empty());
    // Renamed inside the Trash: reported under the new name; gone: forgotten.
    EXPECT_EQ(detector.update({"Zed.app", "Beta.app"}), std::vector<std::string>{"Beta.app"});
    EXPECT_EQ(detector.update({}), std::vector<std::string>{});
    EXPECT_TRUE(detector.known.empty());
    EXPECT_EQ(detector.update({"Zed.app"}), std::vector<std::string>{"Zed.app"}) << "trashed again: new again";
}

TEST_F(TrashWatcherTest, WhatIsThereWhenWatchingStartsIsNeverReported) {
    put("Old.app");
    EXPECT_EQ(watcher.status(), Status::stopped);
    EXPECT_EQ(events->listings, 0) << "made, it touches nothing";
    watcher.start();
    EXPECT_EQ(watcher.status(), Status::watching);
    EXPECT_EQ(statuses, std::vector<Status>{Status::watching});
    EXPECT_EQ(watcher.detector().known, std::set<std::string>{"Old.app"});

    watcher.start(); // again while watching: no second status report
    watcher.stop();
    watcher.stop();
    EXPECT_EQ(statuses, (std::vector<Status>{Status::watching, Status::stopped}));
    EXPECT_FALSE(events->isWatching());

    put("New.app");
    events->fire(FolderEvents::write); // after stop: nothing listens
    clock->advance(1s);
    EXPECT_TRUE(reports.empty());

    // Watching again, the same write and wait do report what arrives.
    watcher.start();
    put("Newer.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    EXPECT_EQ(reports, std::vector<std::vector<std::string>>{paths({"Newer.app"})});
}

TEST_F(TrashWatcherTest, AnAppArrivingWhileTheFolderIsListedIsReported) {
    std::filesystem::remove_all(dir / "Trash");
    watcher.start();
    EXPECT_TRUE(std::filesystem::is_directory(trash)) << "the first start makes a missing Trash";
    watcher.stop();

    // Trashed just after the listing: heard only if the folder is watched by then, as
    // the kernel tells only the watches that exist.
    bool heard = false;
    events->afterListing = [&] {
        events->afterListing = nullptr;
        put("Gap.app");
        heard = events->isWatching();
    };
    watcher.start();
    if (heard) events->fire(FolderEvents::write);
    clock->advance(1s);
    EXPECT_EQ(reports, std::vector<std::vector<std::string>>{paths({"Gap.app"})});
}

TEST_F(TrashWatcherTest, ABurstOfWritesGivesOneListingAfterItQuietsDown) {
    watcher.start();
    const int listed = events->listings;
    put("Zed.app");
    events->fire(FolderEvents::write);
    clock->advance(500ms);
    put("Alpha.app");
    put("readme.txt");
    events->fire(FolderEvents::write);
    clock->advance(600ms);
    EXPECT_TRUE(reports.empty()) << "each write restarts the quiet period";
    EXPECT_EQ(events->listings, listed);
    clock->advance(100ms);
    EXPECT_EQ(events->listings, listed + 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], paths({"Alpha.app", "Zed.app"}));

    // Out and in again is new again; emptying reports nothing.
    take("Zed.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    put("Zed.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    std::filesystem::remove_all(trash);
    std::filesystem::create_directories(trash);
    events->fire(FolderEvents::write);
    clock->advance(1s);
    EXPECT_EQ(reports, (std::vector<std::vector<std::string>>{paths({"Alpha.app", "Zed.app"}), paths({"Zed.app"})}));
    EXPECT_TRUE(watcher.detector().known.empty());
}

TEST_F(TrashWatcherTest, ADeletedTrashIsRetriedUntilItIsBackWithoutReportingWhatItHolds) {
    put("Old.app");
    watcher.start();
    put("Pending.app");
    events->fire(FolderEvents::write); // a check waits; the deletion abandons it
    std::filesystem::remove_all(dir / "Trash");
    events->fire(FolderEvents::deleted | FolderEvents::write);
    EXPECT_EQ(watcher.status(), Status::noAccess);
    EXPECT_FALSE(watcher.hasPendingCheck());
    EXPECT_TRUE(watcher.hasPendingRetry());
    EXPECT_FALSE(std::filesystem::exists(trash)) << "whoever removes the folder is not raced";

    // Until the retry, nothing is watched; meanwhile the Trash comes back, full.
    clock->advance(15s);
    EXPECT_FALSE(std::filesystem::exists(trash)) << "a retry makes no folder";
    EXPECT_EQ(watcher.status(), Status::noAccess);
    EXPECT_TRUE(watcher.hasPendingRetry()) << "a failed retry plans the next one";
    std::filesystem::create_directories(trash + "/Came Back.app");
    clock->advance(14s);
    EXPECT_EQ(watcher.status(), Status::noAccess);
    clock->advance(1s);
    EXPECT_EQ(watcher.status(), Status::watching);
    EXPECT_FALSE(watcher.hasPendingRetry());
    EXPECT_EQ(statuses, (std::vector<Status>{Status::watching, Status::noAccess, Status::watching}));
    clock->advance(1min);
    EXPECT_TRUE(reports.empty());

    put("New.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    EXPECT_EQ(reports, std::vector<std::vector<std::string>>{paths({"New.app"})});
}

TEST_F(TrashWatcherTest, OnlyTheFirstStartMakesAMissingTrashAndAMovedOneIsReadAfresh) {
    std::filesystem::remove_all(dir / "Trash");
    events->creatable = false;
    watcher.start();
    EXPECT_EQ(watcher.status(), Status::noAccess);
    EXPECT_EQ(events->prepares, 1);
    events->creatable = true;
    clock->advance(15s);
    watcher.stop();
    watcher.start();
    clock->advance(15s);
    EXPECT_EQ(watcher.status(), Status::noAccess);
    EXPECT_EQ(events->prepares, 1) << "neither a retry nor a later start makes the folder";
    EXPECT_FALSE(std::filesystem::exists(trash));
    std::filesystem::create_directories(trash);
    clock->advance(15s);
    EXPECT_EQ(watcher.status(), Status::watching);

    // The folder replaced by another one (moved into place): its apps are the baseline.
    std::filesystem::create_directories(dir / "Other/Elsewhere.app");
    std::filesystem::remove_all(trash);
    std::filesystem::rename(dir / "Other", trash);
    events->fire(FolderEvents::renamed);
    EXPECT_EQ(watcher.status(), Status::watching);
    EXPECT_EQ(watcher.detector().known, std::set<std::string>{"Elsewhere.app"});
    clock->advance(1s);
    EXPECT_TRUE(reports.empty());
}

TEST_F(TrashWatcherTest, ACheckThatCantListStopsWatchingAndRetriesEveryFifteenSeconds) {
    watcher.start();
    put("Blocked.app");
    events->fire(FolderEvents::write);
    events->refused = true;
    clock->advance(700ms);
    EXPECT_EQ(watcher.status(), Status::noAccess);
    EXPECT_FALSE(events->isWatching()) << "the source is cancelled";
    for (int i = 0; i < 3; ++i) clock->advance(15s);
    EXPECT_EQ(clock->waits().size(), 5u) << "one check, then one retry per 15 s";
    EXPECT_EQ(statuses, (std::vector<Status>{Status::watching, Status::noAccess}));

    // Stopping ends the retries; starting again with access watches at once.
    watcher.stop();
    EXPECT_FALSE(watcher.hasPendingRetry());
    clock->advance(1min);
    EXPECT_EQ(watcher.status(), Status::stopped);
    events->refused = false;
    events->unwatchable = true;
    watcher.start();
    EXPECT_EQ(watcher.status(), Status::noAccess) << "a folder that lists but can't be watched";
    events->unwatchable = false;
    watcher.start();
    EXPECT_EQ(watcher.status(), Status::watching);
    EXPECT_FALSE(watcher.hasPendingRetry());
    EXPECT_TRUE(reports.empty()) << "Blocked.app was there when watching began again";
}

TEST_F(TrashWatcherTest, UnsetCallbacksStillKeepTheBaseline) {
    watcher.onStatusChange = nullptr;
    watcher.onAppsTrashed = nullptr;
    watcher.start();
    put("Quiet.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    EXPECT_EQ(watcher.detector().known, std::set<std::string>{"Quiet.app"});
}
