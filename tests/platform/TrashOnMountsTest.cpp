// The Trash of a mount other than the home's, on a tmpfs mounted in a mount
// namespace of the test's own, with a second local user who may swap what they own.

#include "platform/AdminTrashMove.h"
#include "platform/Trash.h"
#include "platform/TrashFolders.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <set>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

constexpr uid_t otherUserID = 4242;

// Runs `body` in a child (as root) with a mount namespace of its own, so that the
// tmpfs it mounts stay its own.
std::string inOwnMountNamespace(const std::function<std::string()>& body) {
    return inChild([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) return "cannot make a mount namespace";
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return "cannot make mounts private";
        return body();
    });
}

bool mountTmpfs(const std::string& point) {
    ::mkdir(point.c_str(), 0755);
    return ::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=16m,mode=755") == 0;
}

void makeFolder(const std::string& path, uid_t owner, mode_t mode) {
    ::mkdir(path.c_str(), mode);
    ::chown(path.c_str(), owner, owner);
    ::chmod(path.c_str(), mode);
}

std::set<std::string> namesAt(const std::string& path) {
    std::set<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
    return names;
}

bool isRealFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Checks the Trash at `trash`: every file has its info beside it and every info its
// file. Adds the items' names to `found`; returns what is wrong.
std::string checkPairs(const std::string& trash, std::set<std::string>& found) {
    const std::set<std::string> files = namesAt(trash + "/files");
    std::set<std::string> infos;
    for (const std::string& info : namesAt(trash + "/info"))
        infos.insert(info.substr(0, info.size() - std::string(".trashinfo").size()));
    if (files != infos) return trash + ": files and info split (" + std::to_string(files.size()) + " files, " +
                               std::to_string(infos.size()) + " info files); ";
    found.insert(files.begin(), files.end());
    return {};
}

// Starts a process of the other user that exchanges `folder` with a link to
// `target` over and over; stopped by the caller.
pid_t startSwapping(const std::string& folder, const std::string& target) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (::setgroups(0, nullptr) != 0 || ::setresgid(otherUserID, otherUserID, otherUserID) != 0 ||
        ::setresuid(otherUserID, otherUserID, otherUserID) != 0)
        ::_exit(1);
    const std::string decoy = folder + ".decoy";
    ::symlink(target.c_str(), decoy.c_str());
    for (;;) ::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, decoy.c_str(), RENAME_EXCHANGE);
}

// Moves `count` private files of nobody's to the Trash while the other user, who
// owns the sticky `top`/.Trash (and `top` itself when `otherOwnsTop`), swaps
// nobody's folder in it for a link to a folder of theirs. Returns what went wrong.
std::string moveWhileSwapped(const std::string& top, const std::string& dataHome, bool otherOwnsTop, int count) {
    if (!mountTmpfs(top)) return "cannot mount a tmpfs; ";
    makeFolder(top, otherOwnsTop ? otherUserID : 0, 01777);
    makeFolder(top + "/.Trash", otherUserID, 01777);
    const std::string mine = top + "/theirs";
    makeFolder(mine, otherUserID, 0777);
    makeFolder(mine + "/files", otherUserID, 0777);
    makeFolder(mine + "/info", otherUserID, 0777);
    const std::string nobodys = top + "/.Trash/" + std::to_string(nobodyID);
    makeFolder(nobodys, nobodyID, 0700);
    makeFolder(nobodys + "/files", nobodyID, 0700);
    makeFolder(nobodys + "/info", nobodyID, 0700);
    makeFolder(top + "/items", nobodyID, 0700);
    for (int i = 0; i < count; ++i) {
        const std::string item = top + "/items/private-" + std::to_string(i);
        writeFile(item, "secret");
        ::chown(item.c_str(), nobodyID, nobodyID);
    }

    const pid_t swapper = startSwapping(nobodys, mine);
    const std::string moving = inChild(
        [&]() -> std::string {
            ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
            int failed = 0;
            std::string first;
            for (int i = 0; i < count; ++i) {
                try {
                    moveToTrash(top + "/items/private-" + std::to_string(i));
                } catch (const std::system_error& e) {
                    if (!failed++) first = e.what();
                }
            }
            return failed ? std::to_string(failed) + " moves failed, the first: " + first + "; " : std::string();
        },
        true);
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);

    std::string outcome = moving;
    if (!namesAt(mine + "/files").empty() || !namesAt(mine + "/info").empty())
        outcome += "items or info landed in the other user's folder; ";
    // Nobody's folder is wherever the last exchange left it.
    std::set<std::string> found;
    for (const std::string& name : {std::to_string(nobodyID), std::to_string(nobodyID) + ".decoy"})
        if (isRealFolder(top + "/.Trash/" + name)) outcome += checkPairs(top + "/.Trash/" + name, found);
    if (isRealFolder(top + "/.Trash-" + std::to_string(nobodyID)))
        outcome += checkPairs(top + "/.Trash-" + std::to_string(nobodyID), found);
    if (found.size() + namesAt(top + "/items").size() != static_cast<std::size_t>(count))
        outcome += "items lost: " + std::to_string(found.size()) + " trashed; ";
    if (!namesAt(top + "/items").empty()) outcome += "items left behind; ";
    return outcome;
}

} // namespace

TEST(TrashOnMounts, AnotherUsersSharedTrashRedirectsNothing) {
    TempFolder point, data;
    ::chmod(point.path().c_str(), 0755);
    ::chmod(data.path().c_str(), 0777);
    const std::string outcome = inOwnMountNamespace([&]() -> std::string {
        std::string result;
        // A sticky .Trash of an ordinary user on a top that is not theirs is not used
        // at all; on a top they own it is, and their swaps reach nothing.
        result += moveWhileSwapped(point / "rootTop", data / "a", false, 150);
        if (!isRealFolder(point / ("rootTop/.Trash-" + std::to_string(nobodyID)))) result += "shared Trash was used; ";
        result += moveWhileSwapped(point / "theirTop", data / "b", true, 300);
        return result;
    });
    if (outcome.starts_with("cannot make")) GTEST_SKIP() << "the kernel gives no mount namespace: " << outcome;
    EXPECT_EQ(outcome, "");
}

TEST(TrashOnMounts, TheTrashFoldersOfAMountAreRefusedOnBothPaths) {
    TempFolder point, data;
    const std::string outcome = inOwnMountNamespace([&]() -> std::string {
        if (!mountTmpfs(point.path())) return "cannot mount a tmpfs";
        ::setenv("XDG_DATA_HOME", (data / "share").c_str(), 1);
        const std::string top = point.path();
        const std::string own = top + "/.Trash-" + std::to_string(::getuid());
        makeFolder(top + "/sub", 0, 0755);
        makeFolder(top + "/sub/.Trash-0", 0, 0755);
        writeFile(top + "/sub/.Trash-0/plain", "p");
        // Makes the mount's own Trash with one item in it.
        const std::string inTrash = moveToTrash(top + "/sub/.Trash-0/plain");
        if (inTrash != own + "/files/plain") return "moved to " + inTrash;
        makeFolder(top + "/.Trash", 0, 01777);
        makeFolder(top + "/.Trash/1000", 0, 0700);
        makeFolder(top + "/.Trash-1000", 0, 0700);
        std::string result;
        for (const std::string& path : {own, own + "/info", inTrash, top + "/.Trash", top + "/.Trash/1000",
                                        top + "/.Trash-1000"}) {
            try {
                moveToTrash(path);
                result += "moved " + path + "; ";
            } catch (const std::system_error& e) {
                if (e.code() != partOfTrashError()) result += path + ": " + e.what() + "; ";
            }
        }
        const auto admin = moveToTrashAsAdministrator(data / "share/Trash", {own + "/info", inTrash}, 0, 0);
        if (admin.size() != 2 || !admin[0].error || !admin[1].error) result += "the administrator step moved them; ";
        if (readFile(inTrash) != "p" || !existsNoFollow(own + "/info/plain.trashinfo")) result += "the Trash changed; ";
        // A folder of that name below the top is none of the Trash's.
        moveToTrash(top + "/sub/.Trash-0");
        return result;
    });
    if (outcome.starts_with("cannot make")) GTEST_SKIP() << "the kernel gives no mount namespace: " << outcome;
    EXPECT_EQ(outcome, "");
}

// A folder of the user's with a mount anywhere inside (a bind mount of the same file
// system, or another file system) stays where it is: emptying the Trash would remove
// what the mount shows from wherever it lives.
TEST(TrashOnMounts, AFolderHoldingAMountPointStaysOnTheUsersOwnPath) {
    TempFolder items, data;
    makeFolder(items.path(), nobodyID, 0755);
    ::chmod(data.path().c_str(), 0777);
    const std::string outcome = inOwnMountNamespace([&]() -> std::string {
        for (const char* folder : {"/source", "/Outer", "/Outer/inner", "/Outer/inner/mnt", "/Outer/tmp", "/Out"})
            makeFolder(items.path() + folder, nobodyID, 0755); // "Out": a name the mounts' paths merely begin with
        writeFile(items / "source/kept", "k");
        if (::mount((items / "source").c_str(), (items / "Outer/inner/mnt").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return "cannot bind";
        // The user's own move, as the user.
        const auto asUser = [&](const std::function<std::string()>& body) {
            return inChild(
                [&] {
                    ::setenv("XDG_DATA_HOME", (data / "share").c_str(), 1);
                    return body();
                },
                true);
        };
        const auto refused = [&](const std::string& folder) {
            return asUser([&]() -> std::string {
                try {
                    moveToTrash(folder);
                    return "moved " + folder + "; ";
                } catch (const std::system_error& e) {
                    if (e.code().message() != "A mount point lies inside it.") return e.what() + std::string("; ");
                    return {};
                }
            });
        };
        std::string result = refused(items / "Outer") + refused(items / "Outer/inner");
        if (readFile(items / "Outer/inner/mnt/kept") != "k") result += "the bind mount left; ";
        result += asUser([&] { return moveToTrash(items / "Out").empty() ? "Out not moved; " : ""; });
        if (::umount((items / "Outer/inner/mnt").c_str()) != 0) return result + "cannot unmount";
        if (!mountTmpfs(items / "Outer/tmp")) return result + "cannot mount a tmpfs";
        result += refused(items / "Outer");
        if (::umount((items / "Outer/tmp").c_str()) != 0) return result + "cannot unmount";
        result += asUser([&] { return moveToTrash(items / "Outer").empty() ? "not moved after; " : ""; });
        if (readFile(items / "source/kept") != "k" || existsNoFollow(items / "Outer")) result += "not moved after; ";
        return result;
    });
    if (outcome.starts_with("cannot make")) GTEST_SKIP() << "the kernel gives no mount namespace: " << outcome;
    EXPECT_EQ(outcome, "");
}

// Both moves take the same Trash on a mount: a shared .Trash only where root or the
// top's owner owns it, else the user's own .Trash-$uid.
TEST(TrashOnMounts, BothMovesChooseTheSameTrash) {
    TempFolder point, data;
    ::chmod(point.path().c_str(), 0755);
    ::chmod(data.path().c_str(), 0777);
    const std::string outcome = inOwnMountNamespace([&]() -> std::string {
        struct Case {
            const char* name;
            uid_t topOwner, sharedOwner;
            bool shared;
        };
        for (const char* folder : {"/share", "/share/Trash", "/share/Trash/files", "/share/Trash/info"})
            makeFolder(data.path() + folder, nobodyID, 0700);
        std::string result;
        for (const Case& c : {Case{"another user's", 0, otherUserID, false}, Case{"root's", 0, 0, true},
                              Case{"the top owner's", otherUserID, otherUserID, true}}) {
            const std::string top = point / c.name;
            if (!mountTmpfs(top)) return "cannot mount a tmpfs";
            makeFolder(top, c.topOwner, 01777);
            makeFolder(top + "/.Trash", c.sharedOwner, 01777);
            makeFolder(top + "/system", 0, 0755);
            writeFile(top + "/system/admin", "a");
            writeFile(top + "/own", "o");
            ::chown((top + "/own").c_str(), nobodyID, nobodyID);
            const std::string trash = c.shared ? top + "/.Trash/" + std::to_string(nobodyID) : top + "/.Trash-65534";
            const auto admin = moveToTrashAsAdministrator(data / "share/Trash", {top + "/system/admin"}, nobodyID, nobodyID);
            if (admin[0].error || readFile(trash + "/files/admin") != "a") result += std::string(c.name) + ": administrator; ";
            const std::string own = inChild(
                [&]() -> std::string {
                    ::setenv("XDG_DATA_HOME", (data / "nobody").c_str(), 1);
                    return moveToTrash(top + "/own");
                },
                true);
            if (own != trash + "/files/own") result += std::string(c.name) + ": user's own to " + own + "; ";
        }
        return result;
    });
    if (outcome.starts_with("cannot make")) GTEST_SKIP() << "the kernel gives no mount namespace: " << outcome;
    EXPECT_EQ(outcome, "");
}
