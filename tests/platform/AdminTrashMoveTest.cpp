// The administrator step of the Trash, run here as root (as the tests run) for the
// user nobody, whose processes may swap whatever they can write.

#include "base/FolderResolver.h"
#include "platform/AdminTrashMove.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

constexpr gid_t nogroupID = 65534;

struct stat statOf(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) st.st_ino = 0;
    return st;
}

uid_t ownerOf(const std::string& path) { return statOf(path).st_uid; }

std::vector<std::string> namesIn(int folder);
std::vector<std::string> namesAt(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::string> names = fd >= 0 ? namesIn(fd) : std::vector<std::string>{"<missing>"};
    if (fd >= 0) close(fd);
    return names;
}

// The names in a folder (by descriptor, so a link swapped in for it is not followed).
std::vector<std::string> namesIn(int folder) {
    std::vector<std::string> names;
    const int copy = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) return {"<unreadable>"};
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// A home Trash of nobody's, and a root-owned folder of items the user cannot move.
class AdminTrashMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(base.path().c_str(), 0755);
        makeFolder("home", nobodyID);
        makeFolder("home/Trash", nobodyID, 0700);
        makeFolder("home/Trash/files", nobodyID, 0700);
        makeFolder("home/Trash/info", nobodyID, 0700);
        makeFolder("system", 0);
    }
    void makeFolder(const std::string& relative, uid_t owner, mode_t mode = 0755) {
        mkdir((base / relative).c_str(), mode);
        chmod((base / relative).c_str(), mode);
        chown((base / relative).c_str(), owner, owner);
    }
    std::vector<AdminTrashMoveResult> move(const std::vector<std::string>& items, const AdminTrashMoveOptions& options = {}) {
        return moveToTrashAsAdministrator(trash(), items, nobodyID, nogroupID, options);
    }
    std::string trash() const { return base / "home/Trash"; }
    std::string files(const std::string& name) const { return base / ("home/Trash/files/" + name); }
    std::string info(const std::string& name) const { return base / ("home/Trash/info/" + name + ".trashinfo"); }

    TempFolder base;
};

std::vector<int> errorsOf(const std::vector<AdminTrashMoveResult>& results) {
    std::vector<int> errors;
    for (const auto& r : results) errors.push_back(r.error);
    return errors;
}

} // namespace

TEST_F(AdminTrashMoveTest, MovesUnderFreeNamesWithRestoreInformationAndGivesItemsToTheUser) {
    const std::vector<std::string> odd{"it's", "line\nfeed", "-n", "$(touch pwned)", "50% ü"};
    std::vector<std::string> items;
    for (const std::string& name : odd) {
        writeFile(base / ("system/" + name), name);
        items.push_back(base / ("system/" + name));
    }
    // Taken in the Trash, and the same name twice in one call.
    writeFile(files("same.txt"), "old");
    makeFolder("system/sub", 0);
    writeFile(base / "system/same.txt", "1");
    writeFile(base / "system/sub/same.txt", "2");
    items.push_back(base / "system/same.txt");
    items.push_back(base / "system/sub/same.txt");
    symlink("/etc/hostname", (base / "system/link").c_str());
    items.push_back(base / "system/link");
    const auto results = move(items);

    EXPECT_EQ(errorsOf(results), std::vector<int>(items.size(), 0));
    for (const std::string& name : odd) {
        EXPECT_EQ(readFile(files(name)), name);
        EXPECT_EQ(ownerOf(files(name)), nobodyID) << name;
        EXPECT_FALSE(existsNoFollow(base / ("system/" + name)));
    }
    EXPECT_FALSE(existsNoFollow("pwned"));
    EXPECT_EQ(readFile(files("same.txt")), "old");
    EXPECT_EQ(readFile(files("same 2.txt")), "1");
    EXPECT_EQ(readFile(files("same 3.txt")), "2");
    EXPECT_NE(readFile(info("same 3.txt")).find("\nPath=" + base.path() + "/system/sub/same.txt\n"), std::string::npos);
    EXPECT_NE(readFile(info("50% ü")).find("/system/50%25%20%C3%BC\n"), std::string::npos);
    const struct stat infoStat = statOf(info("it's"));
    EXPECT_EQ(infoStat.st_uid, nobodyID);
    EXPECT_EQ(infoStat.st_mode & 0777, 0600u);
    // A link moves as itself, and only the link changes owner.
    EXPECT_TRUE(S_ISLNK(statOf(files("link")).st_mode));
    EXPECT_EQ(ownerOf(files("link")), nobodyID);
    EXPECT_EQ(ownerOf("/etc/hostname"), 0u);
}

TEST_F(AdminTrashMoveTest, AFolderIsGivenToTheUserWithoutFollowingAnythingOutOfIt) {
    makeFolder("outside", 0);
    writeFile(base / "outside/secret", "s");
    makeFolder("system/App", 0);
    makeFolder("system/App/deep", 0, 0700);
    makeFolder("system/App/deep/er", 0);
    writeFile(base / "system/App/deep/er/file", "f");
    symlink((base / "outside").c_str(), (base / "system/App/deep/to-outside").c_str());
    // A second name of a file elsewhere: handing it over would hand over that file too.
    link((base / "outside/secret").c_str(), (base / "system/App/hardlink").c_str());
    mkfifo((base / "system/App/fifo").c_str(), 0600);

    const auto results = move({base / "system/App"});
    ASSERT_EQ(errorsOf(results), std::vector<int>{0});
    EXPECT_EQ(results[0].ownershipError, 0);
    for (const char* inside : {"", "/deep", "/deep/er", "/deep/er/file", "/deep/to-outside"})
        EXPECT_EQ(ownerOf(files("App") + inside), nobodyID) << inside;
    EXPECT_EQ(statOf(files("App/deep")).st_mode & 0777, 0700u);
    EXPECT_EQ(ownerOf(files("App/hardlink")), 0u);
    EXPECT_EQ(ownerOf(files("App/fifo")), 0u);
    EXPECT_EQ(ownerOf(base / "outside"), 0u);
    EXPECT_EQ(ownerOf(base / "outside/secret"), 0u);
}

TEST_F(AdminTrashMoveTest, ItemsThatCannotMoveFailByIndexAndStayPut) {
    makeFolder("elsewhere", 0);
    writeFile(base / "elsewhere/target", "t");
    symlink((base / "elsewhere").c_str(), (base / "system/via").c_str());
    writeFile(base / "system/fine", "f");
    const auto results = move({base / "system/missing", base / "system/via/target", base / "system/../system/fine",
                               "relative/path", base / "system/fine"});
    const std::vector<int> got = errorsOf(results);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], ENOENT);
    EXPECT_TRUE(got[1] == ELOOP || got[1] == ENOTDIR) << got[1];
    EXPECT_EQ(got[2], EINVAL);
    EXPECT_EQ(got[3], EINVAL);
    EXPECT_EQ(got[4], 0);
    EXPECT_TRUE(existsNoFollow(base / "elsewhere/target"));
    EXPECT_EQ(namesAt(files("")), std::vector<std::string>{"fine"});
    EXPECT_FALSE(existsNoFollow(info("target")));
}

TEST_F(AdminTrashMoveTest, ATrashThatIsNotTheUsersOwnIsRefused) {
    writeFile(base / "system/a", "a");
    const auto refusedWith = [&](const std::function<void()>& spoil) {
        spoil();
        const auto results = move({base / "system/a"});
        return results.size() == 1 && existsNoFollow(base / "system/a") ? results[0].error : -1;
    };
    // The Trash a link to a folder of the user's.
    makeFolder("real", nobodyID, 0700);
    makeFolder("real/files", nobodyID, 0700);
    makeFolder("real/info", nobodyID, 0700);
    rename(trash().c_str(), (base / "Trash.away").c_str());
    symlink((base / "real").c_str(), trash().c_str());
    const int linked = refusedWith([] {});
    EXPECT_TRUE(linked == ELOOP || linked == ENOTDIR) << linked;
    unlink(trash().c_str());
    rename((base / "Trash.away").c_str(), trash().c_str());
    EXPECT_TRUE(namesAt(base / "real/files").empty());

    EXPECT_EQ(refusedWith([&] { chown(trash().c_str(), 12345, 12345); }), EACCES);
    chown(trash().c_str(), nobodyID, nogroupID);
    EXPECT_EQ(refusedWith([&] { chown((trash() + "/files").c_str(), 0, 0); }), EACCES);
    chown((trash() + "/files").c_str(), nobodyID, nogroupID);
    EXPECT_EQ(refusedWith([&] { std::filesystem::remove(trash() + "/info"); }), ENOENT);
}

TEST_F(AdminTrashMoveTest, UnitsOfTheSystemFolderAreStoppedFirst) {
    for (const char* folder : {"systemd", "systemd/system", "other", "other/systemd", "other/systemd/system"})
        makeFolder(folder, 0);
    writeFile(base / "systemd/system/com.x.job.service", "x");
    writeFile(base / "systemd/system/notes.txt", "x");
    writeFile(base / "other/systemd/system/com.y.job.service", "y");
    // An alias of another unit: stopping it by its name would stop that one.
    symlink((base / "other/systemd/system/com.y.job.service").c_str(), (base / "systemd/system/alias.service").c_str());
    AdminTrashMoveOptions options;
    options.unitFolder = base / "systemd/system";
    std::vector<std::string> stopped;
    options.stopUnit = [&](const std::string& path) {
        if (existsNoFollow(path)) stopped.push_back(path);
    };
    const auto results = move({base / "systemd/system/com.x.job.service", base / "systemd/system/notes.txt",
                               base / "systemd/system/alias.service", base / "other/systemd/system/com.y.job.service"},
                              options);
    EXPECT_EQ(errorsOf(results), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(stopped, std::vector<std::string>{base / "systemd/system/com.x.job.service"});
}

TEST_F(AdminTrashMoveTest, OtherFileSystemsGetTheirOwnTrashMadeForTheUser) {
    if (!sharedMemoryIsSeparateFrom(base.path())) GTEST_SKIP() << "needs /dev/shm on its own file system";
    // A user of its own, so no other test shares this Trash.
    constexpr uid_t user = 54321;
    const std::string mountTrash = "/dev/shm/.Trash-54321";
    std::error_code ignored;
    std::filesystem::remove_all(mountTrash, ignored);
    chown(trash().c_str(), user, user);
    chown((trash() + "/files").c_str(), user, user);
    chown((trash() + "/info").c_str(), user, user);
    TempFolder other("/dev/shm");
    writeFile(other / "far.bin", "far");
    writeFile(base / "system/near.bin", "near");

    const auto results = moveToTrashAsAdministrator(trash(), {other / "far.bin", base / "system/near.bin"}, user, user);
    EXPECT_EQ(errorsOf(results), (std::vector<int>{0, 0}));
    EXPECT_EQ(readFile(mountTrash + "/files/far.bin"), "far");
    EXPECT_EQ(readFile(files("near.bin")), "near");
    for (const char* folder : {"", "/files", "/info"}) {
        const struct stat st = statOf(mountTrash + folder);
        EXPECT_EQ(st.st_uid, user) << folder;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
    }
    EXPECT_EQ(ownerOf(mountTrash + "/files/far.bin"), user);
    // Paths in a mount's Trash are relative to the mount's top.
    EXPECT_NE(readFile(mountTrash + "/info/far.bin.trashinfo").find("\nPath=" + other.path().substr(9) + "/far.bin\n"),
              std::string::npos);

    // One that exists but is someone else's is not used.
    writeFile(other / "again.bin", "again");
    chown(mountTrash.c_str(), 0, 0);
    EXPECT_EQ(errorsOf(moveToTrashAsAdministrator(trash(), {other / "again.bin"}, user, user)), std::vector<int>{EACCES});
    EXPECT_TRUE(existsNoFollow(other / "again.bin"));
    std::filesystem::remove_all(mountTrash, ignored);
}

// While the step runs again and again, nobody swaps the Trash's files folder and the
// folder holding the items for links to root's folders, and puts them back. Whatever
// moves must land in the real Trash; nothing of root's may move or change owner.
TEST_F(AdminTrashMoveTest, SwappedLinksNeverLeadTheStepOutside) {
    makeFolder("user", nobodyID);
    makeFolder("user/locked", 0);
    makeFolder("outside", 0);
    makeFolder("outside/sink", 0);
    makeFolder("outside/locked", 0);
    constexpr int rounds = 150;
    const auto itemName = [](int round, bool folder) { return (folder ? "dir" : "file") + std::to_string(round); };
    const int outsideLocked = open((base / "outside/locked").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int locked = open((base / "user/locked").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int sink = open((base / "outside/sink").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int trashFiles = open(files("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_TRUE(outsideLocked >= 0 && locked >= 0 && sink >= 0 && trashFiles >= 0);
    // Root's own items of the same names, where the swapped links lead.
    for (int round = 0; round < rounds; ++round) {
        const int fd = openat(outsideLocked, itemName(round, false).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        close(fd);
        mkdirat(outsideLocked, itemName(round, true).c_str(), 0755);
    }

    for (bool nameByName : {false, true}) {
        FolderResolver::forceNameByNameForTesting(nameByName);
        const std::string stop = base / (nameByName ? "stop2" : "stop1");
        std::vector<std::string> outcomes;
        const std::string swapper = asNobody(
            [&]() -> std::string {
                const std::string filesPath = trash() + "/files", filesAway = trash() + "/files.away";
                const std::string lockedPath = base / "user/locked", lockedAway = base / "user/locked.away";
                long swaps = 0;
                while (!existsNoFollow(stop)) {
                    if (rename(filesPath.c_str(), filesAway.c_str()) != 0 ||
                        symlink((base / "outside/sink").c_str(), filesPath.c_str()) != 0)
                        return "could not swap the Trash";
                    if (rename(lockedPath.c_str(), lockedAway.c_str()) != 0 ||
                        symlink((base / "outside/locked").c_str(), lockedPath.c_str()) != 0)
                        return "could not swap the items' folder";
                    ++swaps;
                    sched_yield();
                    unlink(filesPath.c_str());
                    rename(filesAway.c_str(), filesPath.c_str());
                    if (swaps % 2) sched_yield(); // now and then with only the items' folder swapped
                    unlink(lockedPath.c_str());
                    rename(lockedAway.c_str(), lockedPath.c_str());
                    sched_yield(); // and a moment with nothing swapped
                }
                return swaps > 0 ? "" : "never swapped";
            },
            [&] {
                for (int round = 0; round < rounds; ++round) {
                    const std::string file = itemName(round, false), folder = itemName(round, true);
                    close(openat(locked, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
                    mkdirat(locked, folder.c_str(), 0755);
                    move({base / ("user/locked/" + file), base / ("user/locked/" + folder)});
                    std::string wrong;
                    if (!namesIn(sink).empty()) wrong += " something landed in root's folder;";
                    for (const std::string& name : {file, folder}) {
                        struct stat st {};
                        if (fstatat(outsideLocked, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) wrong += " " + name + " of root's moved;";
                        else if (st.st_uid != 0) wrong += " " + name + " of root's changed owner;";
                    }
                    if (!wrong.empty()) outcomes.push_back("round " + std::to_string(round) + ":" + wrong);
                    // Whatever stayed is cleared for the next round.
                    unlinkat(locked, file.c_str(), 0);
                    unlinkat(locked, folder.c_str(), AT_REMOVEDIR);
                }
                writeFile(stop, "");
            });
        EXPECT_EQ(swapper, "") << nameByName;
        EXPECT_EQ(outcomes, std::vector<std::string>{}) << nameByName;

        // Undisturbed, the same step moves.
        close(openat(locked, "last", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        EXPECT_EQ(errorsOf(move({base / "user/locked/last"})), std::vector<int>{0}) << nameByName;
        EXPECT_EQ(ownerOf(files("last")), nobodyID);
        unlinkat(trashFiles, "last", 0);
        unlink(info("last").c_str());
    }
    FolderResolver::forceNameByNameForTesting(false);
    // What moved is in the real Trash, the user's, with its restore information.
    for (const std::string& name : namesIn(trashFiles)) {
        EXPECT_EQ(ownerOf(files(name)), nobodyID) << name;
        EXPECT_TRUE(existsNoFollow(info(name))) << name;
    }
    EXPECT_TRUE(namesIn(sink).empty());
    EXPECT_EQ(namesIn(outsideLocked).size(), static_cast<std::size_t>(2 * rounds));
    for (int fd : {outsideLocked, locked, sink, trashFiles}) close(fd);
}

namespace {

// Removes `name` in `folder` with all it holds, one descriptor at a time whatever the
// depth (a path to its bottom may be far longer than the kernel takes).
void removeTree(int folder, const std::string& name) {
    std::vector<std::string> names{name};
    int current = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (current < 0) {
        unlinkat(folder, name.c_str(), 0);
        return;
    }
    while (current >= 0) {
        const std::vector<std::string> inside = namesIn(current);
        if (!inside.empty()) {
            const std::string& first = inside.front();
            const int child = openat(current, first.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                unlinkat(current, first.c_str(), 0);
                continue;
            }
            close(current);
            current = child;
            names.push_back(first);
            continue;
        }
        const int up = names.size() > 1 ? openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        close(current);
        unlinkat(names.size() > 1 ? up : folder, names.back().c_str(), AT_REMOVEDIR);
        names.pop_back();
        current = up;
    }
}

// A chain of `depth` folders "d" in `folder`, each of them and `folder` holding a file
// "f", made one descriptor at a time.
bool makeChain(int folder, int depth) {
    int current = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; current >= 0; ++level) {
        close(openat(current, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        if (level == depth) break;
        mkdirat(current, "d", 0755);
        const int next = openat(current, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(current);
        current = next;
    }
    const bool made = current >= 0;
    if (made) close(current);
    return made;
}

// The first level of the chain in `folder` whose folder or file is not `uid`'s; -1
// when the whole chain of `depth` levels is.
int firstLevelNotOwnedBy(int folder, int depth, uid_t uid) {
    int current = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int level = 0;
    for (; current >= 0; ++level) {
        struct stat here {}, file {};
        if (fstat(current, &here) != 0 || here.st_uid != uid || fstatat(current, "f", &file, AT_SYMLINK_NOFOLLOW) != 0 ||
            file.st_uid != uid)
            break;
        if (level == depth) {
            close(current);
            return -1;
        }
        const int next = openat(current, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(current);
        current = next;
    }
    if (current >= 0) close(current);
    return level;
}

// Runs `body` in a forked child with mounts of its own; "no namespace" when the kernel
// refuses one.
std::string inMountNamespace(const std::function<std::string()>& body) {
    return inChild([&]() -> std::string {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "no namespace";
        return body();
    });
}

} // namespace

// A bind mount of a folder of the same file system inside an item: handing the item
// over would hand over the mount's source, and emptying the Trash would remove it.
TEST_F(AdminTrashMoveTest, NothingIsMovedOrHandedOverAcrossAMount) {
    makeFolder("outside", 0);
    writeFile(base / "outside/secret", "s");
    makeFolder("system/App", 0);
    makeFolder("system/App/deep", 0);
    makeFolder("system/App/deep/mnt", 0);
    writeFile(base / "system/App/deep/file", "f");
    makeFolder("system/WithFile", 0);
    writeFile(base / "system/WithFile/conf", "");
    makeFolder("system/Bound", 0);
    makeFolder("shared", 0);
    writeFile(base / "shared/item", "i");
    makeFolder("view", 0);
    const std::string outcome = inMountNamespace([&]() -> std::string {
        const auto bind = [](const std::string& from, const std::string& to) {
            return mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) == 0;
        };
        if (!bind(base / "outside", base / "system/App/deep/mnt") || !bind(base / "outside/secret", base / "system/WithFile/conf") ||
            !bind(base / "outside", base / "system/Bound") || !bind(base / "shared", base / "view"))
            return "no bind mount";
        std::string wrong;
        const auto results = move({base / "system/App", base / "system/WithFile", base / "system/Bound", base / "view/item"});
        if (errorsOf(results) != std::vector<int>{EXDEV, EXDEV, EXDEV, 0}) wrong += " wrong errors;";
        if (!results[0].mountInside || !results[1].mountInside) wrong += " mounts inside not told;";
        for (const char* stayed : {"system/App/deep/file", "system/WithFile", "system/Bound"})
            if (!existsNoFollow(base / stayed)) wrong += std::string(" ") + stayed + " moved;";
        for (const char* root : {"outside", "outside/secret", "system/App", "system/App/deep", "system/App/deep/file"})
            if (ownerOf(base / root) != 0) wrong += std::string(" ") + root + " given away;";
        if (namesAt(files("")) != std::vector<std::string>{}) wrong += " something in the home Trash;";
        // An item in a bind mount goes to that mount's own Trash, made for the user at
        // its top, which the user cannot write.
        if (readFile(base / "view/.Trash-65534/files/item") != "i") wrong += " not in the mount's Trash;";
        if (ownerOf(base / "view/.Trash-65534") != nobodyID || ownerOf(base / "view/.Trash-65534/files/item") != nobodyID)
            wrong += " the mount's Trash is not the user's;";
        // Without the mount the same folder moves.
        if (umount((base / "system/App/deep/mnt").c_str()) != 0) return wrong + " could not unmount";
        const auto again = move({base / "system/App"});
        if (errorsOf(again) != std::vector<int>{0} || again[0].ownershipError) wrong += " not moved without the mount;";
        if (ownerOf(files("App/deep/file")) != nobodyID) wrong += " not given to the user;";
        return wrong;
    });
    if (outcome == "no namespace") GTEST_SKIP() << "the kernel gives no mount namespace";
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(ownerOf(base / "outside/secret"), 0u);
}

// A user who can write a mount's top swaps the Trash the step has just made there for
// a root-owned folder, again and again: that folder never becomes the user's.
TEST_F(AdminTrashMoveTest, ATrashSwappedRightAfterItWasMadeIsNeverHandedOver) {
    makeFolder("volume", 0);
    const std::string volume = base / "volume";
    const std::string outcome = inMountNamespace([&]() -> std::string {
        if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=16m,mode=0777") != 0) return "no tmpfs";
        mkdir((volume + "/lost+found").c_str(), 0700);
        writeFile(volume + "/lost+found/keep", "k");
        mkdir((volume + "/system").c_str(), 0755);
        const int top = open(volume.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int lost = open((volume + "/lost+found").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // Odd phases pause the swapper between two swaps, when every name is back.
        struct Shared {
            std::atomic<int> phase{0}, paused{-1};
            std::atomic<long> swaps{0};
        };
        void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED || top < 0 || lost < 0) return "no setup";
        Shared* shared = new (memory) Shared;
        constexpr int rounds = 3000;
        std::string wrong;
        int moved = 0;
        const std::string swapper = asNobody(
            [&]() -> std::string {
                for (int phase; (phase = shared->phase.load()) >= 0;) {
                    if (phase % 2) {
                        shared->paused.store(phase);
                        continue;
                    }
                    if (renameat2(top, ".Trash-65534", top, "lost+found", RENAME_EXCHANGE) != 0) continue;
                    shared->swaps.fetch_add(1);
                    sched_yield();
                    while (renameat2(top, ".Trash-65534", top, "lost+found", RENAME_EXCHANGE) != 0) {}
                }
                return "";
            },
            [&] {
                for (int round = 0; round < rounds && wrong.empty(); ++round) {
                    const std::string item = volume + "/system/item" + std::to_string(round);
                    writeFile(item, "x");
                    shared->phase.store(2 * round);
                    const auto results = move({item});
                    shared->phase.store(2 * round + 1);
                    while (shared->paused.load() != 2 * round + 1) {}
                    if (results[0].error == 0) ++moved;
                    else if (results[0].error != EACCES)
                        wrong += "round " + std::to_string(round) + ": error " + std::to_string(results[0].error) + "; ";
                    struct stat st {}, keep {};
                    if (fstat(lost, &st) != 0 || st.st_uid != 0 || st.st_gid != 0 ||
                        fstatat(lost, "keep", &keep, AT_SYMLINK_NOFOLLOW) != 0 || keep.st_uid != 0)
                        wrong += "round " + std::to_string(round) + ": the root-owned folder was handed over; ";
                    if (namesIn(lost) != std::vector<std::string>{"keep"})
                        wrong += "round " + std::to_string(round) + ": something was made in it; ";
                    removeTree(top, ".Trash-65534");
                }
                shared->phase.store(-1);
            });
        if (!swapper.empty()) return swapper;
        if (shared->swaps.load() == 0) return "never swapped";
        if (moved == 0) return "never moved";
        return wrong;
    });
    if (outcome == "no namespace") GTEST_SKIP() << "the kernel gives no mount namespace";
    EXPECT_EQ(outcome, "");
}

// The hand-over keeps no descriptor per level: a deep folder, and one under a low
// descriptor limit, end wholly the user's.
TEST_F(AdminTrashMoveTest, DeepFoldersAreWhollyHandedOverWithFewDescriptors) {
    struct Case {
        const char* name;
        int depth;
        rlim_t limit;
    };
    for (const Case& c : {Case{"Deep", 30000, 1024}, Case{"Limited", 150, 100}}) {
        const std::string outcome = inChild([&]() -> std::string {
            // On a memory file system of the child's own where it can have one: deep trees
            // are slow to make and remove on disk, and this one goes with the child.
            const std::string top = base / "disk";
            mkdir(top.c_str(), 0755);
            if (unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
                mount("tmpfs", top.c_str(), "tmpfs", 0, "size=512m,mode=0755");
            for (const char* folder : {"/Trash", "/Trash/files", "/Trash/info"}) {
                mkdir((top + folder).c_str(), 0700);
                chown((top + folder).c_str(), nobodyID, nogroupID);
            }
            mkdir((top + "/" + c.name).c_str(), 0755);
            const int item = open((top + "/" + c.name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (!makeChain(item, c.depth)) return "could not make the tree";
            close(item);
            const struct rlimit limit{c.limit, c.limit};
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return "no limit";
            const auto results = moveToTrashAsAdministrator(top + "/Trash", {top + "/" + c.name}, nobodyID, nogroupID);
            if (results[0].error || results[0].ownershipError)
                return "failed: " + std::to_string(results[0].error) + "/" + std::to_string(results[0].ownershipError);
            const int trashed = open((top + "/Trash/files/" + c.name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const int level = trashed >= 0 ? firstLevelNotOwnedBy(trashed, c.depth, nobodyID) : 0;
            const int trashFiles = open((top + "/Trash/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            removeTree(trashFiles, c.name); // when on disk
            for (int fd : {trashed, trashFiles}) close(fd);
            return level < 0 ? "" : "level " + std::to_string(level) + " is not the user's";
        });
        EXPECT_EQ(outcome, "") << c.name;
    }
}

// While the step works on root's item in a folder of the user's, the user moves that
// folder below a root-owned folder and back, again and again. However deep the item
// lies when the step looks for its mount's top, the mount's Trash is made at the top
// and nowhere else, and the restore path is the one the item was asked to leave.
TEST_F(AdminTrashMoveTest, AFolderMovedDeeperMeanwhileNeverMovesTheMountsTrash) {
    makeFolder("volume", 0);
    const std::string volume = base / "volume";
    const std::string outcome = inMountNamespace([&]() -> std::string {
        if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=16m,mode=0755") != 0) return "no tmpfs";
        // volume/A/B/L/item: A and B the user's, L and the item root's. The user's U
        // lies in root's R: B moved into U/d1/d2/d3 puts R where a walk counting the
        // names of the item's path would stop.
        const std::string deep = volume + "/R/U/d1/d2/d3";
        for (const char* folder : {"/A", "/A/B", "/R", "/R/U", "/R/U/d1", "/R/U/d1/d2", "/R/U/d1/d2/d3"}) {
            mkdir((volume + folder).c_str(), 0755);
            if (std::string(folder) != "/R") chown((volume + folder).c_str(), nobodyID, nogroupID);
        }
        mkdir((volume + "/A/B/L").c_str(), 0755);
        const int locked = open((volume + "/A/B/L").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (locked < 0) return "no setup";
        const std::string stop = base / "stop";
        constexpr int rounds = 2000;
        int moved = 0;
        std::string wrong;
        const std::string mover = asNobody(
            [&]() -> std::string {
                const std::string shallow = volume + "/A/B", deeper = deep + "/B";
                long moves = 0;
                while (!existsNoFollow(stop)) {
                    if (rename(shallow.c_str(), deeper.c_str()) == 0) ++moves;
                    sched_yield();
                    rename(deeper.c_str(), shallow.c_str());
                }
                return moves > 0 ? "" : "never moved the folder";
            },
            [&] {
                for (int round = 0; round < rounds && wrong.empty(); ++round) {
                    const std::string name = "item" + std::to_string(round);
                    close(openat(locked, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
                    const auto results = move({volume + "/A/B/L/" + name});
                    if (results[0].error) continue; // the folder was away when the step opened it
                    ++moved;
                    const std::string info = readFile(volume + "/.Trash-65534/info/" + name + ".trashinfo");
                    if (info.find("\nPath=A/B/L/" + name + "\n") == std::string::npos)
                        wrong += "round " + std::to_string(round) + ": restores to " + info + "; ";
                }
                writeFile(stop, "");
            });
        for (const char* folder : {"/R", "/R/U", "/R/U/d1", "/R/U/d1/d2", "/R/U/d1/d2/d3", "/A"})
            if (existsNoFollow(volume + folder + "/.Trash-65534")) wrong += std::string("a Trash made in ") + folder + "; ";
        close(locked);
        if (!mover.empty()) return mover;
        if (moved == 0) return "never moved";
        return wrong;
    });
    if (outcome == "no namespace") GTEST_SKIP() << "the kernel gives no mount namespace";
    EXPECT_EQ(outcome, "");
}
