#include "helper/InotifyFolderEvents.h"
#include "helper/TrashWatcher.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// Runs the event loop until `done` holds or two seconds have passed.
bool waitUntil(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 2000);
}

} // namespace

TEST(InotifyFolderEvents, PrepareMakesPrivateFoldersAndListingTellsFailureFromEmpty) {
    TempFolder dir;
    InotifyFolderEvents events;
    const std::string folder = dir / "share/Trash/files";
    EXPECT_FALSE(events.list(folder)) << "a missing folder can't be listed";
    events.prepare(folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((dir / "share").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(events.list(folder), std::vector<std::string>{});
    writeFile(folder + "/.hidden", "");
    EXPECT_EQ(events.list(folder), std::vector<std::string>{".hidden"});

    // Refused to an unprivileged user: no listing, no watch.
    ::chmod(folder.c_str(), 0700);
    const std::string result = asNobody([&]() -> std::string {
        if (events.list(folder)) return "listed a folder it may not read";
        if (events.watch(folder, [](FolderEvents::Mask) {})) return "watched a folder it may not read";
        return {};
    });
    EXPECT_EQ(result, "");
}

TEST(InotifyFolderEvents, EntriesAreWritesAndTheFolderGoingIsDeleteOrRename) {
    TempFolder dir;
    InotifyFolderEvents events;
    const std::string folder = dir / "watched";
    std::filesystem::create_directories(folder);
    std::vector<FolderEvents::Mask> seen;
    auto watch = events.watch(folder, [&](FolderEvents::Mask mask) { seen.push_back(mask); });
    ASSERT_TRUE(watch);

    std::filesystem::create_directories(folder + "/In.app");
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen.back(), unsigned(FolderEvents::write));
    seen.clear();
    std::filesystem::rename(folder + "/In.app", dir / "Out.app");
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen.back(), unsigned(FolderEvents::write));

    seen.clear();
    std::filesystem::rename(folder, dir / "moved");
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_TRUE(seen.back() & FolderEvents::renamed);
    watch.reset();

    seen.clear();
    watch = events.watch(dir / "moved", [&](FolderEvents::Mask mask) { seen.push_back(mask); });
    ASSERT_TRUE(watch);
    std::filesystem::remove_all(dir / "moved");
    ASSERT_TRUE(waitUntil([&] {
        for (auto mask : seen)
            if (mask & FolderEvents::deleted) return true;
        return false;
    }));

    // Ended from inside its own callback: no crash, nothing more delivered.
    std::filesystem::create_directories(folder);
    int calls = 0;
    watch = events.watch(folder, [&](FolderEvents::Mask) {
        ++calls;
        watch.reset();
    });
    writeFile(folder + "/a", "");
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
    // A second watch on the same folder shows the next write did come through.
    int witnessed = 0;
    const auto witness = events.watch(folder, [&](FolderEvents::Mask) { ++witnessed; });
    ASSERT_TRUE(witness);
    writeFile(folder + "/b", "");
    ASSERT_TRUE(waitUntil([&] { return witnessed > 0; }));
    QTest::qWait(100);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(events.watch(dir / "missing", [](FolderEvents::Mask) {}));
}

TEST(InotifyFolderEvents, TheWatcherOnTheKernelReportsAnAppMovedIntoTheTrash) {
    TempFolder dir;
    const std::string trash = dir / "Trash/files";
    TrashWatcher watcher(trash, std::make_shared<InotifyFolderEvents>(), std::make_shared<TimerClock>());
    std::vector<std::string> reported;
    watcher.onAppsTrashed = [&](const std::vector<std::string>& urls) { reported = urls; };
    watcher.start();
    ASSERT_EQ(watcher.status(), TrashWatcher::Status::watching) << "a missing Trash is made";

    std::filesystem::create_directories(dir / "Applications/Tool.app/Contents");
    std::filesystem::rename(dir / "Applications/Tool.app", trash + "/Tool.app");
    ASSERT_TRUE(waitUntil([&] { return !reported.empty(); }));
    EXPECT_EQ(reported, std::vector<std::string>{trash + "/Tool.app"});

    // The Trash deleted and made again: watched again, by its path.
    std::filesystem::remove_all(dir / "Trash");
    ASSERT_TRUE(waitUntil([&] { return watcher.status() == TrashWatcher::Status::noAccess; }));
    std::filesystem::create_directories(trash);
    watcher.start();
    reported.clear();
    std::filesystem::create_directories(trash + "/Second.app");
    ASSERT_TRUE(waitUntil([&] { return !reported.empty(); }));
    EXPECT_EQ(reported, std::vector<std::string>{trash + "/Second.app"});
}
